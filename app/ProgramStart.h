#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ProgramOptions.h"

namespace vantrel {

inline constexpr int kUsageErrorStatus = 2;
inline constexpr int kCannotRunStatus = 3;

/// What a later start of the program asks of the one already running.
inline constexpr std::string_view kComeForwardRequest = "show";
inline constexpr std::string_view kStartRunRequest = "start";

/// How the program ends without (or before) running its window: what it
/// prints on standard output and standard error, and its exit status.
struct ProgramEnd {
    int status = 0;
    std::string output;
    std::string errors;

    bool operator==(const ProgramEnd&) const = default;
};

/// The steps every front end takes from its command line to its window:
/// help, version and a refused command line end at once; a later start hands
/// its request to the running program and ends with what that answered.
class ProgramStart {
public:
    /// The arguments after the program's name, as UTF-8 text.
    explicit ProgramStart(const std::vector<std::string>& arguments);

    /// How the program ends at once, or nothing when it goes on to its window.
    const std::optional<ProgramEnd>& endsAtOnce() const { return endsAtOnce_; }
    const ProgramOptions& options() const { return options_; }

    /// What this start asks of a program that runs already.
    std::string_view requestForRunningProgram() const;
    /// How this start ends once the running program has answered its request.
    ProgramEnd handedOver(const std::string& answer) const;

private:
    ProgramOptions options_;
    std::optional<ProgramEnd> endsAtOnce_;
};

/// The end of a program that cannot run (no desktop, a refused list file).
ProgramEnd CannotRun(const std::string& why);

}  // namespace vantrel
