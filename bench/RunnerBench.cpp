// How long the script runner adds to a launch: the stand-in esscmd.exe
// started directly and under vantrel-script, alternately, each time from
// the fork to the first line of its output and to its end (the runner's end
// includes making the log and the outcome durable). Prints the medians.
//
//   runner_bench RUNNER STAND_IN [REPETITIONS]

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
    std::vector<double> firstLine, end;  // milliseconds
};

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void TimeOnce(std::vector<std::string> arguments, Times& times) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) std::exit(1);
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0) std::exit(1);
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    bool lineSeen = false;
    for (char byte; read(fds[0], &byte, 1) == 1;) {
        if (byte != '\n' || lineSeen) continue;
        lineSeen = true;
        times.firstLine.push_back(Milliseconds(Clock::now() - start));
    }
    close(fds[0]);
    waitpid(child, nullptr, 0);
    times.end.push_back(Milliseconds(Clock::now() - start));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: runner_bench RUNNER STAND_IN [REPETITIONS]\n");
        return 2;
    }
    const std::string runner = argv[1], standIn = argv[2];
    const int repetitions = argc > 3 ? std::atoi(argv[3]) : 200;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("vantrel-runner-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string script = (folder / "calc.txt").string();
    std::FILE* file = std::fopen(script.c_str(), "w");
    if (file == nullptr || std::fputs("LOGIN;\nRUNCALC;\nLOGOUT;\n", file) < 0 || std::fclose(file) != 0) {
        std::perror(script.c_str());
        return 1;
    }
    setenv("ESSCMD_STANDIN_SECONDS", "0", 1);
    unsetenv("ESSCMD_STANDIN_LOG");

    Times direct, underRunner;
    for (int i = 0; i < repetitions; ++i) {
        TimeOnce({standIn, script}, direct);
        TimeOnce({runner, "--outcome", (folder / "launch.outcome").string(), "--log",
                  (folder / "launch.log").string(), "--", standIn, script},
                 underRunner);
    }
    std::filesystem::remove_all(folder);
    std::printf("%d launches each, medians in ms   direct   under the runner   added\n", repetitions);
    std::printf("fork to the first output line   %8.2f   %16.2f   %5.2f\n", Median(direct.firstLine),
                Median(underRunner.firstLine), Median(underRunner.firstLine) - Median(direct.firstLine));
    std::printf("fork to the end                 %8.2f   %16.2f   %5.2f\n", Median(direct.end),
                Median(underRunner.end), Median(underRunner.end) - Median(direct.end));
}
