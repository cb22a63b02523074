#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/Launcher.h"
#include "run/RunRecord.h"
#include "run/WindowList.h"

namespace vantrel {

/// Follows the scripts a run has started to their ends: when a window
/// carrying a script's command line first shows, whether the process behind
/// its window still lives, and how it ended, as its runner recorded.
class LaunchTracker {
public:
    struct Launch {
        RecordedLaunch record;
        std::string commandLine;
        RowProgress state = RowProgress::Started;
        /// Windows carrying its command line when it started: none of them is its own.
        std::int32_t windowsBefore = 0;
        /// When it started and when its window was seen, in the order of the run's events.
        std::uint64_t launchedAs = 0;
        std::uint64_t seenAs = 0;

        bool running() const { return state == RowProgress::Started || state == RowProgress::Running; }
        bool failed() const { return state == RowProgress::Failed || state == RowProgress::NotShown; }
    };

    explicit LaunchTracker(Launcher& launcher) : launcher_(launcher) {}

    /// A launch about to start, given the walk just before: its id.
    int add(RecordedLaunch record, const std::vector<TopLevelWindow>& walk);
    /// A launch of an earlier program run, running or ended, as the record has it.
    int adopt(RecordedLaunch record);
    /// An entry marked as done without running.
    int skip(RecordedLaunch record);
    /// The last launch added never started.
    void dropLast() { launches_.pop_back(); }
    /// Forgets every launch: a run given up.
    void clear() { launches_.clear(); }
    void started(int id, const ProcessIdentity& process) { launches_.at(id).record.process = process; }
    /// The launch no longer stands for an entry: it is to run again, or it was removed.
    void supersede(int id) { launches_.at(id).record.superseded = true; }
    /// Its entry has moved, or another of the same script has.
    void rekey(int id, const EntryKey& key) { launches_.at(id).record.key = key; }
    void markJournaled(int id) { launches_.at(id).record.journaled = true; }

    /// Follows every running launch through the walk; the ids whose state changed.
    std::vector<int> follow(const std::vector<TopLevelWindow>& walk, WallTime now);
    /// The running launches that no window of the walk stands for: not shown
    /// yet, or sharing one window with others. Counted beside the windows, so
    /// that the scripts counted as running are never fewer than those that run.
    std::int32_t runningWithoutWindow(const std::vector<TopLevelWindow>& walk) const;

    bool anyRunning() const;
    int runningCount() const;
    int size() const { return static_cast<int>(launches_.size()); }
    const Launch& launch(int id) const { return launches_.at(id); }
    std::vector<RecordedLaunch> records() const;

private:
    /// Windows carrying the launch's command line that showed since it
    /// started and that no other launch has been seen by.
    std::int32_t unclaimedWindows(const std::vector<TopLevelWindow>& walk, int id) const;
    bool processLives(const Launch& launch, const std::vector<TopLevelWindow>& walk) const;
    void settle(Launch& launch, WallTime now);

    Launcher& launcher_;
    std::vector<Launch> launches_;
    std::uint64_t events_ = 0;
};

/// The command line shown for, and given to, a script: esscmd.exe "path".
std::string CommandLine(std::string_view scriptPath);

/// The progress a row shows for a launch.
ScriptProgress ProgressOf(const LaunchTracker::Launch& launch, int id);

}  // namespace vantrel
