#pragma once

// The run journal's files as a spreadsheet reads them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run/RunJournal.h"

namespace vantrel::testing {

/// The lines of every journal file in the folder, day by day, each split at its
/// tabs; the folder's other files are not the journal's. A journal file that
/// does not start with the header, or a line that does not end in CR LF, fails
/// the test.
inline std::vector<std::vector<std::string>> JournalLines(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        if (file.path().filename().string().starts_with("journal-")) files.push_back(file.path());
    std::sort(files.begin(), files.end());
    std::vector<std::vector<std::string>> lines;
    for (const std::filesystem::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, std::string(kJournalHeader) + "\r") << file;
        while (std::getline(in, line)) {
            EXPECT_TRUE(line.ends_with('\r')) << file;
            if (line.ends_with('\r')) line.pop_back();
            std::vector<std::string> fields(1);
            for (const char c : line) {
                if (c == '\t')
                    fields.emplace_back();
                else
                    fields.back().push_back(c);
            }
            lines.push_back(fields);
        }
    }
    return lines;
}

}  // namespace vantrel::testing
