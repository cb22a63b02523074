#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "queue/ProgramState.h"
#include "run/Launcher.h"
#include "run/RunJournal.h"
#include "run/RunView.h"
#include "run/WindowList.h"

namespace vantrel {

/// Starts the queued scripts while fewer than the chosen number of their
/// windows are open, and reports progress on the main window, in its list
/// and in the run journal.
class RunController {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using WallClock = std::function<WallTime()>;

    /// A started script whose window has not been seen yet counts as running
    /// for at most this long (a terminal takes a moment to map its window).
    static constexpr std::chrono::milliseconds kWindowGrace{2000};

    RunController(ProgramState& state, RunView& view, WindowList& windows, Launcher& launcher,
                  RunJournal& journal, Clock clock = std::chrono::steady_clock::now,
                  WallClock wallClock = std::chrono::system_clock::now);
    /// Journals the scripts still running, their end unknown.
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    /// With the run messages off, a tick shows no count box and a launch no
    /// command-line box; the running count is shown in the window instead.
    void setRunMessagesShown(bool shown) { messagesShown_ = shown; }

    /// Start, Stop, or (after a finished run) close the program.
    void onStartStopClicked();
    /// The launch tick.
    void onLaunchTick();
    /// The completion monitor's tick: the scripts started in this program run
    /// that no longer run; it stops once none runs. After a finished run it
    /// only follows the scripts still running, for the list and the journal.
    void onCompletionTick();
    /// The hidden Activate button.
    void onActivateClicked();

    /// Shows how many windows match and starts the next script when fewer
    /// than the concurrency run once the box is closed; a started script
    /// whose window has not shown yet counts as running. A call while an
    /// earlier one still waits for its message box to close is skipped.
    void checkAndLaunch(std::string_view partialTitle, std::int16_t mode);
    /// Starts the first entry of the table not yet executed, or finishes the
    /// run when every entry has been.
    void launchNextScript();

private:
    /// A script started in this program run, followed through the window
    /// walks the run makes, whatever becomes of its row.
    struct Launch {
        std::string entryText;
        std::string commandLine;
        std::int32_t windowsBefore = 0;
        /// When it was launched and when its window was seen, in the order of
        /// the run's events.
        std::uint64_t launchedAs = 0;
        std::uint64_t seenAs = 0;
        std::chrono::steady_clock::time_point launchedAt;
        WallTime startedAt;
        std::optional<WallTime> windowSeenAt;
        std::optional<WallTime> endedAt;
        RowProgress state = RowProgress::Started;
    };

    int concurrency();
    std::string partialTitle();
    void start();
    void stop();
    void finish();
    bool launch(const std::string& commandLine, const std::string& entryText);
    /// The table row showing the launch, or -1 when it was removed.
    int rowOf(int id) const;
    void undoMarking(int id);
    void showRow(int row);
    std::int32_t pendingLaunches() const;
    bool anyStillRunning() const;
    void followLaunches(const WindowSnapshot& windows);
    /// Windows carrying the launch's command line that showed since it
    /// started and that no other launch has been seen by.
    std::int32_t unclaimedWindows(const WindowSnapshot& windows, int id) const;
    void endRunningLaunches(const WindowSnapshot& windows);
    void settle(int id, RowProgress state);
    void showProgress(int id);
    void writeJournal(const Launch& launch);
    void showJournalProblem();
    void showRunning(std::int32_t running);

    ProgramState& state_;
    RunView& view_;
    WindowList& windows_;
    Launcher& launcher_;
    RunJournal& journal_;
    Clock clock_;
    WallClock wallClock_;
    bool messagesShown_ = true;
    bool checking_ = false;
    bool journalProblemShown_ = false;
    std::string journalProblem_;
    std::int32_t started_ = 0;
    std::uint64_t events_ = 0;
    std::vector<Launch> launches_;
};

/// The command line shown for, and given to, a script: esscmd.exe "path".
std::string CommandLine(std::string_view scriptPath);

}  // namespace vantrel
