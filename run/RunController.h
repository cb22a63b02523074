#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "queue/ProgramState.h"
#include "run/LaunchTracker.h"
#include "run/Launcher.h"
#include "run/ReentryGuard.h"
#include "run/RunHistory.h"
#include "run/RunView.h"
#include "run/TimeLeft.h"
#include "run/WindowList.h"
#include "run/WindowTitleSearch.h"

namespace vantrel {

/// Where the run stands; the Start/Stop button's caption shows it.
enum class RunPhase {
    Idle,      ///< not started since the program started
    Running,   ///< launching
    Stopped,   ///< stopped by the user, or resumed; a Start carries on
    Finished,  ///< every entry started; a click closes the program
};

/// The Start/Stop button's caption in the phase.
std::string_view RunCaption(RunPhase phase);

/// The highest concurrency the user can choose (the lowest is 1).
inline constexpr int kMaxConcurrency = 8;

/// How a run has ended, for a scheduler that started it.
enum class RunEnding {
    AllSucceeded,  ///< every script started exited 0
    SomeFailed,    ///< one failed or never showed a window (the journal says which)
    CutShort,      ///< stopped, or the program closed, before the run finished
    CouldNotRun,   ///< no script could be started or noted down
};

/// The exit status a scheduler reads: 0, 1, 2 and 3 in the order above.
int ExitStatus(RunEnding ending);

/// A run the last program run left unfinished, as the record tells it.
struct InterruptedRun {
    WallTime startedAt;
    int entriesStarted = 0;  ///< of the queue's entries
    int entries = 0;
    int stillRunning = 0;
};

/// Decides the run: starts the queued scripts while fewer than the chosen
/// number run, counting the windows whose title carries the script tool's
/// name and the scripts it started whose windows do not show; and tells the
/// main window how the run stands. Following the launches is the tracker's
/// job, keeping what the run did the history's.
class RunController {
public:
    using WallClock = std::function<WallTime()>;

    RunController(ProgramState& state, RunView& view, WindowList& windows, Launcher& launcher,
                  RunHistory& history, WallClock wallClock = std::chrono::system_clock::now);
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    /// With the run messages off, a tick shows no count box and a launch no
    /// command-line box; the running count is shown in the window instead.
    void setRunMessagesShown(bool shown) { messagesShown_ = shown; }
    /// How many scripts may run at once, from 1 to kMaxConcurrency; read at every tick.
    void setConcurrency(int concurrency) { concurrency_ = concurrency; }
    /// The partial window title that running scripts' windows carry, trimmed of blanks.
    void setPartialTitle(std::string_view title);
    /// The match mode of the hidden Activate button; the run itself always
    /// counts windows whose title contains the partial title.
    void setActivateMatchMode(MatchMode mode) { activateMode_ = mode; }
    /// Once a script has failed, no further one starts: those running finish
    /// and the run ends as stopped.
    void setStopOnFailure(bool stop) { stopOnFailure_ = stop; }
    /// Closes the window once the run has come to its end (finished, or
    /// stopped by a failure or by a script that could not start) and every
    /// script it started has ended.
    void setCloseWhenDone(bool close) { closeWhenDone_ = close; }
    /// How the run stands for a scheduler when the program ends.
    RunEnding ending() const;

    RunPhase phase() const { return phase_; }
    int concurrency() const { return concurrency_; }

    // The handlers below run one at a time: one that falls due while another
    // waits for its message box to close is skipped.

    /// Start, Stop, or (after a finished run) close the program.
    void onStartStopClicked();
    /// The launch tick.
    void onLaunchTick();
    /// The completion monitor's tick: the scripts started in this run that no
    /// longer run; it stops once none runs. After a finished run it only
    /// follows the scripts still running, for the list, the record and the journal.
    void onCompletionTick();
    /// The hidden Activate button.
    void onActivateClicked();

    /// At start-up: the run the record holds, when it was cut short. Its
    /// launches are followed from now on, whatever the answer.
    std::optional<InterruptedRun> takeOverInterruptedRun();
    /// Why the record of the last run could not be read, when it could not.
    const std::string& recordProblem() const { return recordProblem_; }
    /// Carries on with the interrupted run: its entries keep their marks and
    /// never start again, and its scripts still running count against N.
    void resumeInterruptedRun();
    /// Gives the interrupted run up: every entry runs again at the next Start.
    void giveUpInterruptedRun();
    /// Marks every entry as done without running.
    void skipEverything();

    /// The queue was edited: each launch now stands for its entry where the
    /// entry has gone, and for none when it was removed, in the record too.
    void noteQueueChanged();
    /// The rows' scripts run again in this run (those still running stay as they are).
    void runAgain(const std::vector<int>& rows);
    /// The rows' scripts, not started yet, are marked as done without running.
    void skip(const std::vector<int>& rows);
    /// The file the row's script's output went to; empty when it has none.
    std::string logOf(int row) const;

    /// What to ask before the window closes while a run goes on; nothing otherwise.
    std::optional<std::string> closeQuestion() const;

private:
    void showPhase(RunPhase phase);
    void start();
    void stop();
    void finish();
    /// Shows how many windows match and starts the next script when fewer
    /// than the concurrency run once the box is closed.
    void checkAndLaunch();
    /// Starts the first entry of the table not yet executed, or finishes the
    /// run when every entry has been.
    void launchNextScript();
    /// Writes the launch down, then starts it; false, with the row as it was, when either fails.
    bool launch(int id, int row);
    void followCompletions();
    /// Everything the walk and the processes tell; true when a launch ended.
    void followLaunches(const std::vector<TopLevelWindow>& walk);
    std::int32_t runningScripts(const std::vector<TopLevelWindow>& walk) const;
    EntryKey keyOf(int row) const;
    /// The table row showing the launch, or -1 when none does.
    int rowOf(int id) const;
    void undoMarking(int id);
    void showRow(int row);
    void showProgress(int id);
    void showStatus();
    void setStatus(const std::string& text);
    void showRunning(std::int32_t running);
    /// Saves the record or the journal; a failure is told once per run.
    void keepRecord();
    void keepJournal(bool unended = false);
    void showProblems();
    void finishRecordWhenAllEnded();
    void stopOnFailureWhenOneFailed();
    /// Once the run has come to its end and its scripts have ended: the
    /// desktop is told, and the window closes when it is to.
    void endWhenDone();
    /// The estimate of the time left, with a blank before it, or nothing.
    std::string timeLeft() const;
    int failedScripts() const;

    ProgramState& state_;
    RunView& view_;
    WindowList& windows_;
    Launcher& launcher_;
    RunHistory& history_;
    WallClock wallClock_;
    LaunchTracker tracker_;
    RunPhase phase_ = RunPhase::Idle;
    int concurrency_ = 1;
    std::string partialTitle_;
    MatchMode activateMode_ = MatchMode::Contains;
    bool messagesShown_ = true;
    bool stopOnFailure_ = false;
    bool closeWhenDone_ = false;
    bool endTold_ = false;
    /// Of earlier runs, read at each start, for the time left.
    ScriptDurations durations_;
    std::string status_;
    /// Why the run stopped without a person's click.
    bool stoppedByFailure_ = false;
    bool couldNotStart_ = false;
    ReentryGuard guard_;
    std::int32_t started_ = 0;
    std::string recordProblem_;
    std::vector<std::string> problems_;
    bool journalProblemTold_ = false;
    bool recordProblemTold_ = false;
};

}  // namespace vantrel
