#pragma once

// What the script runner does the same way on every platform: its command
// line, the copy of the script's output, and the outcome it leaves.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "run/ScriptOutcome.h"

namespace vantrel {

inline constexpr std::string_view kRunnerUsage =
    "usage: vantrel-script --outcome FILE [--log FILE] [--title TEXT] -- PROGRAM [ARGUMENT...]";
/// The exit status of a usage error; the runner then runs nothing.
inline constexpr int kRunnerUsageStatus = 2;

/// What the runner's command line asks for; texts are UTF-8.
struct RunnerRequest {
    std::string outcomeFile;
    std::optional<std::string> logFile;
    /// The window's title, which the runner sets itself where the window's
    /// host may not have taken it from the start.
    std::optional<std::string> title;
    std::vector<std::string> program;  ///< the program, then its arguments
};

/// The request in `arguments` (the runner's own name left out), or the line
/// that says what is wrong with them.
std::variant<RunnerRequest, std::string> ParseRunnerArguments(const std::vector<std::string>& arguments);

/// The path a UTF-8 text names, on every platform.
std::filesystem::path PathFromUtf8(const std::string& text);

/// One place the script's output goes.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    /// Writes every byte; the reason when it could not.
    virtual std::optional<std::string> write(std::string_view bytes) = 0;
};

/// Copies the script's output, byte for byte, to the window and to the log.
/// A log that cannot be written is said once in the window and given up; a
/// window that has gone is given up without a word.
class OutputCopy {
public:
    OutputCopy(OutputSink& window, std::string logName) : window_(window), logName_(std::move(logName)) {}

    void setLog(OutputSink& log) { log_ = &log; }
    void logFailed(std::string reason);
    void copy(std::string_view bytes);
    /// A line of the runner's own, in the window only.
    void say(const std::string& line);
    const std::string& logProblem() const { return logProblem_; }

private:
    OutputSink& window_;
    bool windowGone_ = false;
    std::string logName_;
    OutputSink* log_ = nullptr;
    std::string logProblem_;
};

/// The log's path, its folder made if missing; nullopt without a log.
std::optional<std::filesystem::path> PrepareLogFile(const RunnerRequest& request);

/// Records the outcome (creating its folder), says in the window when it
/// cannot, and gives the runner's exit status: the script's, or 128 and
/// the signal.
int FinishRun(const RunnerRequest& request, const ScriptOutcome& outcome, OutputCopy& copy);

}  // namespace vantrel
