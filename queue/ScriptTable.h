#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>

namespace vantrel {

using WallTime = std::chrono::system_clock::time_point;

/// Where a queued script stands in the run, as its row in the list shows it.
enum class RowProgress {
    Waiting,   ///< not started in this program run
    Started,   ///< launched; its window has not shown yet
    Running,   ///< a window carrying its command line is open
    Done,      ///< it has ended with exit status 0
    Failed,    ///< it has ended with another status, by a signal, or without telling how
    NotShown,  ///< it ended, or failed to start, before any window of it showed
    Skipped,   ///< marked as done without running
};

/// What the list shows of a script's run. It belongs to the entry and
/// travels with it.
struct ScriptProgress {
    RowProgress state = RowProgress::Waiting;
    /// Which of the run controller's launches this row shows; -1 for none.
    int launch = -1;
    WallTime startedAt{};
    WallTime endedAt{};  ///< set once it has ended
    /// How it ended, for people ("exit status 3", "signal 9"); empty when unknown.
    std::string ending;
    /// The file its output was copied to; empty when there is none.
    std::string logFile;

    bool operator==(const ScriptProgress&) const = default;
};

/// One row of the script table: the entry text and how its script's run stands.
struct ScriptRow {
    std::string entryText;
    ScriptProgress progress{};

    /// Started in this program run (whatever became of it): never started again.
    bool executed() const { return progress.state != RowProgress::Waiting; }
};

constexpr int kScriptTableRows = 100;

/// The in-memory table the run walks: row r holds list item r's entry text
/// (for entries loaded at start-up) and whether it was started in this run.
using ScriptTable = std::array<ScriptRow, kScriptTableRows>;

}  // namespace vantrel
