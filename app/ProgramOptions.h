#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

/// What the command line asks of one program run. With none given the
/// window opens and waits for its user, as it always has.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    /// Start the run once the window is up, without run messages.
    bool start = false;
    /// With start: close once the run has finished and its scripts have ended.
    bool exitWhenDone = false;
    /// Stop starting scripts once one has failed, for this run.
    bool stopOnFailure = false;
    /// A list file that replaces the queue before anything else.
    std::optional<std::string> importFile;
    /// How many scripts may run at once, for this run only.
    std::optional<int> concurrency;

    bool operator==(const ProgramOptions&) const = default;
};

/// The options, or why the command line is refused (one line, for standard error).
struct ParsedOptions {
    std::optional<ProgramOptions> options;
    std::string refusal;
};

/// Reads the arguments after the program's name: long options, a value after
/// a blank or "=", "--" ending the options; "-h", "-?" and (as on Windows)
/// "/?" are --help. Anything else is refused.
ParsedOptions ParseProgramOptions(const std::vector<std::string>& arguments);

/// The usage text --help prints.
std::string UsageText();


}  // namespace vantrel
