#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "queue/ScriptTable.h"

namespace vantrel {

/// The journal could not be written; the text says why, for the user.
class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What the journal keeps of one started script.
struct JournalLine {
    std::string entryText;
    std::string scriptPath;
    WallTime startedAt;
    std::optional<WallTime> windowSeenAt;
    std::optional<WallTime> endedAt;
    /// How it ended: the exit status, "signal 1" (stopped from outside), or
    /// empty when not known.
    std::string exitStatus;
    /// The file its output was copied to.
    std::string log;
};

/// A tab-separated file per day (by the local date a script started) in one
/// folder, one line per started script under a header line, for reading in a
/// spreadsheet.
class RunJournal {
public:
    explicit RunJournal(std::filesystem::path folder) : folder_(std::move(folder)) {}

    /// Appends the line, creating the folder and the day's file as needed.
    /// Throws JournalError when it cannot.
    void append(const JournalLine& line);

    const std::filesystem::path& folder() const { return folder_; }

    /// The file the lines of scripts started at `time` go to.
    std::filesystem::path fileFor(WallTime time) const;

private:
    std::filesystem::path folder_;
};

/// The header line's columns, tab-separated.
inline constexpr const char* kJournalHeader =
    "entry\tscript\tstarted at\twindow seen at\tended at\tseconds\texit status\tlog";

/// The journal's folder for the current user: $XDG_STATE_HOME/vantrel, by
/// default ~/.local/state/vantrel; on Windows Vantrel under the local
/// application data folder.
std::filesystem::path DefaultJournalFolder();

}  // namespace vantrel
