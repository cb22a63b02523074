#include "run/RunController.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <map>
#include <utility>

#include "queue/QueueEntry.h"
#include "queue/ScriptProgress.h"
#include "run/WindowTitleSearch.h"

namespace vantrel {

namespace {

// Counts the windows that carry this command line in their title.
std::int32_t WindowsCarrying(const WindowSnapshot& windows, std::string_view commandLine) {
    return windows.countMatching(commandLine, MatchContains);
}

bool StillRunning(RowProgress state) {
    return state == RowProgress::Started || state == RowProgress::Running;
}

// Clears the flag however the guarded call ends.
class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
    ~Guard() { flag_ = false; }

private:
    bool& flag_;
};

}  // namespace

std::string CommandLine(std::string_view scriptPath) {
    return std::string(kScriptTool) + " \"" + std::string(scriptPath) + "\"";
}

RunController::RunController(ProgramState& state, RunView& view, WindowList& windows,
                             Launcher& launcher, RunJournal& journal, Clock clock,
                             WallClock wallClock)
    : state_(state),
      view_(view),
      windows_(windows),
      launcher_(launcher),
      journal_(journal),
      clock_(std::move(clock)),
      wallClock_(std::move(wallClock)) {}

RunController::~RunController() {
    for (const Launch& launch : launches_) {
        if (!StillRunning(launch.state)) continue;
        try {
            writeJournal(launch);
        } catch (const JournalError&) {
            // Nobody is left to tell; the run itself was never held up by the journal.
        }
    }
}

int RunController::concurrency() {
    const std::string text = view_.concurrencyText();
    int n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    // Only a stored value edited by hand can be no number; one at a time is the safe reading.
    if (error != std::errc() || end != text.data() + text.size() || n < 1) return 1;
    return n;
}

std::string RunController::partialTitle() {
    std::string title = view_.partialWindowTitle();
    const auto first = title.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return title.substr(first, title.find_last_not_of(' ') - first + 1);
}

void RunController::onStartStopClicked() {
    const std::string caption = view_.runCaption();
    if (caption == kStartCaption)
        start();
    else if (caption == kStopCaption)
        stop();
    else
        view_.closeWindow();
}

void RunController::start() {
    journalProblemShown_ = false;
    view_.setLaunchTimerOn(true);
    view_.setRunCaption(kStopCaption);
    view_.setEditingEnabled(false);
}

void RunController::stop() {
    view_.setLaunchTimerOn(false);
    view_.setMonitorTimerOn(true);
    view_.setRunCaption(kStartCaption);
    view_.setEditingEnabled(true);
}

void RunController::finish() {
    view_.setLaunchTimerOn(false);
    view_.setRunCaption(kFinishedCaption);
    view_.setEditingEnabled(true);
    // The list and the journal learn when the last scripts end from the monitor's walks.
    if (anyStillRunning()) view_.setMonitorTimerOn(true);
}

void RunController::onLaunchTick() { checkAndLaunch(partialTitle(), MatchContains); }

void RunController::onActivateClicked() {
    if (view_.startsWithChosen())
        WindowTitleSearch::activateMatchingWindow(windows_, view_, partialTitle(), MatchStartsWith);
    else
        checkAndLaunch(partialTitle(), MatchContains);
}

std::int32_t RunController::pendingLaunches() const {
    return static_cast<std::int32_t>(
        std::count_if(launches_.begin(), launches_.end(),
                      [](const Launch& launch) { return launch.state == RowProgress::Started; }));
}

bool RunController::anyStillRunning() const {
    return std::any_of(launches_.begin(), launches_.end(),
                       [](const Launch& launch) { return StillRunning(launch.state); });
}

void RunController::checkAndLaunch(std::string_view partialTitle, std::int16_t mode) {
    // The message boxes below let ticks through; a second check inside the
    // first would show stale counts and could start one script too many.
    if (checking_) return;
    {
        Guard guard(checking_);
        if (messagesShown_)
            view_.showNotice(
                std::to_string(WindowTitleSearch::countMatchingWindows(windows_, partialTitle, mode)));
        // The box may have stayed open for any time: decide on the windows as they are now.
        const std::shared_ptr<const WindowSnapshot> windows = windows_.snapshot();
        const std::int32_t running = windows->countMatching(partialTitle, static_cast<MatchMode>(mode));
        followLaunches(*windows);
        showRunning(running);
        if (running + pendingLaunches() < concurrency()) launchNextScript();
    }
    // Told once the check is over, so the run goes on while the box is open.
    showJournalProblem();
}

void RunController::launchNextScript() {
    ScriptTable& table = state_.scriptTable;
    const auto next = std::find_if(table.begin(), table.end(), [](const ScriptRow& row) {
        return row.entryText.empty() || row.runState.empty();
    });
    if (next == table.end() || next->entryText.empty()) return finish();
    // Marked before the box: an entry moved while it is open takes its marks along.
    const int id = static_cast<int>(launches_.size());
    next->runState = kExecuted;
    next->progress = {RowProgress::Started, id, {}, {}};

    const std::string entryText = next->entryText;
    const std::string commandLine = CommandLine(ScriptPath(entryText));
    if (messagesShown_) view_.showNotice(commandLine);
    if (!launch(commandLine, entryText)) {
        undoMarking(id);
        return stop();
    }
    ++started_;
    showProgress(id);
    view_.setStatus("Scripts Executed:  " + std::to_string(started_));
}

bool RunController::launch(const std::string& commandLine, const std::string& entryText) {
    const std::int32_t windowsBefore = WindowsCarrying(*windows_.snapshot(), commandLine);
    try {
        launcher_.startScript(commandLine, ScriptPath(entryText));
    } catch (const LaunchError& error) {
        view_.showNotice(error.what());
        return false;
    }
    launches_.push_back({entryText, commandLine, windowsBefore, ++events_, 0, clock_(), wallClock_(),
                         std::nullopt, std::nullopt, RowProgress::Started});
    return true;
}

int RunController::rowOf(int id) const {
    const ScriptTable& table = state_.scriptTable;
    const auto row = std::find_if(table.begin(), table.end(),
                                  [id](const ScriptRow& r) { return r.progress.launch == id; });
    return row == table.end() ? -1 : static_cast<int>(row - table.begin());
}

void RunController::undoMarking(int id) {
    const int row = rowOf(id);
    if (row < 0) return;
    ScriptRow& marked = state_.scriptTable[row];
    marked.runState.clear();
    marked.progress = {};
    showRow(row);
}

void RunController::showProgress(int id) {
    const int row = rowOf(id);
    if (row < 0) return;
    const Launch& launch = launches_[id];
    state_.scriptTable[row].progress = {launch.state, id, launch.startedAt,
                                        launch.endedAt.value_or(WallTime{})};
    showRow(row);
}

void RunController::showRow(int row) {
    ListBox& list = view_.queueList();
    if (row < list.count())
        ShowRowProgress(list, row, state_.scriptTable[row].entryText, state_.scriptTable[row].progress);
}

void RunController::followLaunches(const WindowSnapshot& walk) {
    if (!anyStillRunning()) return;
    const auto now = clock_();
    for (int id = 0; id < static_cast<int>(launches_.size()); ++id) {
        if (launches_[id].state != RowProgress::Started) continue;
        if (unclaimedWindows(walk, id) > 0) {
            launches_[id].seenAs = ++events_;
            launches_[id].windowSeenAt = wallClock_();
            launches_[id].state = RowProgress::Running;
            showProgress(id);
        } else if (now - launches_[id].launchedAt >= kWindowGrace) {
            settle(id, RowProgress::NotShown);
        }
    }
    endRunningLaunches(walk);
}

std::int32_t RunController::unclaimedWindows(const WindowSnapshot& walk, int id) const {
    // A window of the same script that showed after this launch may be
    // another launch's, queued twice; once that one has been seen, it is not
    // taken for this one's too.
    const Launch& launch = launches_[id];
    const auto claimed = std::count_if(launches_.begin(), launches_.end(), [&](const Launch& other) {
        return &other != &launch && other.state == RowProgress::Running &&
               other.commandLine == launch.commandLine && other.seenAs > launch.launchedAs;
    });
    return WindowsCarrying(walk, launch.commandLine) - launch.windowsBefore -
           static_cast<std::int32_t>(claimed);
}

void RunController::endRunningLaunches(const WindowSnapshot& walk) {
    // Titles tell scripts apart by command line only: when a script queued
    // more than once has fewer windows open than launches running, the
    // earliest started are taken to have ended.
    std::map<std::string, std::int32_t> surplus;
    for (const Launch& launch : launches_)
        if (launch.state == RowProgress::Running) ++surplus[launch.commandLine];
    for (auto& [commandLine, count] : surplus) count -= WindowsCarrying(walk, commandLine);
    for (int id = 0; id < static_cast<int>(launches_.size()); ++id)
        if (launches_[id].state == RowProgress::Running && surplus[launches_[id].commandLine]-- > 0)
            settle(id, RowProgress::Done);
}

void RunController::settle(int id, RowProgress state) {
    launches_[id].state = state;
    if (state == RowProgress::Done) launches_[id].endedAt = wallClock_();
    showProgress(id);
    try {
        writeJournal(launches_[id]);
    } catch (const JournalError& error) {
        if (std::exchange(journalProblemShown_, true)) return;
        journalProblem_ = "The run journal cannot be written: " + std::string(error.what()) +
                          ".\n\nThe run goes on; the times of this run's scripts are not kept.";
    }
}

void RunController::writeJournal(const Launch& launch) {
    journal_.append({launch.entryText, ScriptPath(launch.entryText), launch.startedAt,
                     launch.windowSeenAt, launch.endedAt});
}

void RunController::showJournalProblem() {
    if (!journalProblem_.empty()) view_.showNotice(std::exchange(journalProblem_, {}));
}

void RunController::showRunning(std::int32_t running) {
    view_.setRunningText(messagesShown_ ? std::string()
                                        : "Running:  " + std::to_string(running) + " of " +
                                              std::to_string(concurrency()));
}

void RunController::onCompletionTick() {
    const std::shared_ptr<const WindowSnapshot> walk = windows_.snapshot();
    followLaunches(*walk);
    const std::int32_t matching = walk->countMatching(partialTitle(), MatchContains);
    showRunning(matching);
    if (view_.runCaption() == kFinishedCaption) {
        if (!anyStillRunning()) view_.setMonitorTimerOn(false);
    } else {
        const std::int32_t running = matching + pendingLaunches();
        view_.setStatus("Scripts Completed:  " + std::to_string(std::max(started_ - running, 0)));
        if (running == 0) view_.setMonitorTimerOn(false);
    }
    showJournalProblem();
}

}  // namespace vantrel
