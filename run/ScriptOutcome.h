#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "queue/ScriptTable.h"

namespace vantrel {

/// How one launched script ended, as the script runner records it beside
/// the script's log, whether or not Vantrel was running at the time.
struct ScriptOutcome {
    /// Signalled: the script was ended from outside, mostly by its window
    /// closing. `code` is then the signal (Linux: SIGHUP when the terminal
    /// went) or, on Windows, the console's control event (CTRL_CLOSE_EVENT,
    /// CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT).
    enum class Ending { Exited, Signalled };
    Ending ending = Ending::Exited;
    int code = 0;  ///< the exit status, or the signal or control event
    WallTime endedAt;  ///< kept to the millisecond
    std::string logProblem;  ///< why the log could not be written; empty when it was

    bool operator==(const ScriptOutcome&) const = default;
};

/// A few lines of text under the line "vantrel-outcome 1", which a later
/// format changes.
std::string FormatOutcome(const ScriptOutcome& outcome);
/// nullopt for any text FormatOutcome did not write: damaged, cut short,
/// another version or another program's.
std::optional<ScriptOutcome> ParseOutcome(std::string_view text);

/// Throws FileWriteError.
void WriteOutcomeFile(const std::filesystem::path& file, const ScriptOutcome& outcome);
/// nullopt when there is no outcome file (the script still runs, or its runner
/// was killed) or when it is damaged or not a regular file.
std::optional<ScriptOutcome> ReadOutcomeFile(const std::filesystem::path& file);

}  // namespace vantrel
