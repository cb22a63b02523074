#pragma once

// What the stand-in esscmd.exe wrote to its log (ESSCMD_STANDIN_LOG), decoded;
// run/stand-in/esscmd.exe describes the lines.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

struct StandInLog {
    std::vector<std::vector<std::string>> started;  ///< the arguments of each start
    std::vector<std::string> commands;              ///< every command printed
    std::vector<int> exitStatuses;                  ///< of each end
    int mostAtOnce = 0;                             ///< the most runs at one time

    static StandInLog Read(const std::filesystem::path& file) {
        StandInLog log;
        std::ifstream in(file);
        int running = 0;
        // A last line without its line end is still being written.
        for (std::string line; std::getline(in, line) && !in.eof();) {
            std::istringstream fields(line);
            std::string event, pid, number, field;
            fields >> event >> pid;
            if (event != "command") fields >> number;
            std::vector<std::string> decoded;  // each "x" and the bytes in hexadecimal
            while (fields >> field) {
                decoded.emplace_back();
                for (std::size_t i = 1; i + 1 < field.size(); i += 2)
                    decoded.back() += static_cast<char>(std::stoi(field.substr(i, 2), nullptr, 16));
            }
            if (event == "start") log.started.push_back(decoded);
            if (event == "command") log.commands.push_back(decoded.at(0));
            if (event == "end") log.exitStatuses.push_back(std::stoi(number));
            running += (event == "start") - (event == "end");
            log.mostAtOnce = std::max(log.mostAtOnce, running);
        }
        return log;
    }
};

}  // namespace vantrel::testing
