#include "run/RunController.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "queue/QueueEntry.h"
#include "queue/ScriptProgress.h"
#include "run/WindowTitleSearch.h"

namespace vantrel {

namespace {

// Counts the windows that carry this command line in their title.
std::int32_t WindowsCarrying(const std::vector<TopLevelWindow>& walk, std::string_view commandLine) {
    return WindowTitleSearch::countMatchingWindows(walk, commandLine, MatchMode::Contains);
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool StillRunning(RowProgress state) {
    return state == RowProgress::Started || state == RowProgress::Running;
}

}  // namespace

std::string_view RunCaption(RunPhase phase) {
    switch (phase) {
        case RunPhase::Running: return kStopCaption;
        case RunPhase::Finished: return kFinishedCaption;
        case RunPhase::Idle:
        case RunPhase::Stopped: break;
    }
    return kStartCaption;
}

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

void RunController::setPartialTitle(std::string_view title) { partialTitle_ = Trimmed(title); }

void RunController::onStartStopClicked() {
    guard_.runAlone([this] {
        switch (phase_) {
            case RunPhase::Idle:
            case RunPhase::Stopped: return start();
            case RunPhase::Running: return stop();
            case RunPhase::Finished: return view_.closeWindow();
        }
    });
}

void RunController::showPhase(RunPhase phase) {
    phase_ = phase;
    view_.setRunCaption(RunCaption(phase));
    view_.setEditingEnabled(phase != RunPhase::Running);
}

void RunController::start() {
    journalProblemShown_ = false;
    view_.setLaunchTimerOn(true);
    showPhase(RunPhase::Running);
}

void RunController::stop() {
    view_.setLaunchTimerOn(false);
    view_.setMonitorTimerOn(true);
    showPhase(RunPhase::Stopped);
}

void RunController::finish() {
    view_.setLaunchTimerOn(false);
    showPhase(RunPhase::Finished);
    // The list and the journal learn when the last scripts end from the monitor's walks.
    if (anyStillRunning()) view_.setMonitorTimerOn(true);
}

void RunController::onLaunchTick() {
    guard_.runAlone([this] { checkAndLaunch(); });
    // Told once the check is over, so the run goes on while the box is open.
    showJournalProblem();
}

void RunController::onActivateClicked() {
    guard_.runAlone([this] {
        if (activateMode_ == MatchMode::StartsWith)
            WindowTitleSearch::activateMatchingWindow(windows_, view_, partialTitle_,
                                                      MatchMode::StartsWith);
        else if (activateMode_ == MatchMode::Contains)
            checkAndLaunch();
    });
    showJournalProblem();
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

void RunController::checkAndLaunch() {
    if (messagesShown_)
        view_.showNotice(std::to_string(
            WindowTitleSearch::countMatchingWindows(windows_, partialTitle_, MatchMode::Contains)));
    // The box may have stayed open for any time: decide on the windows as they are now.
    const std::vector<TopLevelWindow> walk = windows_.topLevelWindows();
    const std::int32_t running =
        WindowTitleSearch::countMatchingWindows(walk, partialTitle_, MatchMode::Contains);
    followLaunches(walk);
    showRunning(running);
    if (running + pendingLaunches() < concurrency_) launchNextScript();
}

void RunController::launchNextScript() {
    ScriptTable& table = state_.scriptTable;
    const auto next = std::find_if(table.begin(), table.end(), [](const ScriptRow& row) {
        return row.entryText.empty() || !row.executed();
    });
    if (next == table.end() || next->entryText.empty()) return finish();
    // Marked before the box: an entry moved while it is open takes its marks along.
    const int id = static_cast<int>(launches_.size());
    next->progress = {};
    next->progress.state = RowProgress::Started;
    next->progress.launch = id;

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
    const std::int32_t windowsBefore = WindowsCarrying(windows_.topLevelWindows(), commandLine);
    try {
        launcher_.startScript(requestFor(commandLine, ScriptPath(entryText)));
    } catch (const LaunchError& error) {
        view_.showNotice(error.what());
        return false;
    }
    launches_.push_back({entryText, commandLine, windowsBefore, ++events_, 0, clock_(), wallClock_(),
                         std::nullopt, std::nullopt, RowProgress::Started});
    return true;
}

LaunchRequest RunController::requestFor(const std::string& commandLine, const std::string& scriptPath) {
    // Named by the launch's start, so that no later run overwrites them.
    const auto startedAt = std::chrono::duration_cast<std::chrono::milliseconds>(
        wallClock_().time_since_epoch());
    const std::string name = std::to_string(startedAt.count()) + "-" + std::to_string(launches_.size());
    const std::filesystem::path folder = journal_.folder() / "launches";
    return {commandLine, scriptPath, folder / (name + ".outcome"), folder / (name + ".log")};
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
    state_.scriptTable[row].progress = {};
    showRow(row);
}

void RunController::showProgress(int id) {
    const int row = rowOf(id);
    if (row < 0) return;
    const Launch& launch = launches_[id];
    ScriptProgress& progress = state_.scriptTable[row].progress;
    progress.state = launch.state;
    progress.launch = id;
    progress.startedAt = launch.startedAt;
    progress.endedAt = launch.endedAt.value_or(WallTime{});
    showRow(row);
}

void RunController::showRow(int row) {
    ListBox& list = view_.queueList();
    if (row < list.count())
        ShowRowProgress(list, row, state_.scriptTable[row].entryText, state_.scriptTable[row].progress);
}

void RunController::followLaunches(const std::vector<TopLevelWindow>& allWindows) {
    if (!anyStillRunning()) return;
    // Every command line names the script tool: the launches are looked for
    // among the few windows that do, not among all the desktop's.
    std::vector<TopLevelWindow> walk;
    std::copy_if(allWindows.begin(), allWindows.end(), std::back_inserter(walk), [](const TopLevelWindow& window) {
        return !window.hasOwner && WindowTitleSearch::titleMatches(window.title, kScriptTool, MatchMode::Contains);
    });
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

std::int32_t RunController::unclaimedWindows(const std::vector<TopLevelWindow>& walk, int id) const {
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

void RunController::endRunningLaunches(const std::vector<TopLevelWindow>& walk) {
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
                                              std::to_string(concurrency_));
}

void RunController::onCompletionTick() {
    guard_.runAlone([this] { followCompletions(); });
    showJournalProblem();
}

void RunController::followCompletions() {
    const std::vector<TopLevelWindow> walk = windows_.topLevelWindows();
    followLaunches(walk);
    const std::int32_t matching =
        WindowTitleSearch::countMatchingWindows(walk, partialTitle_, MatchMode::Contains);
    showRunning(matching);
    if (phase_ == RunPhase::Finished) {
        if (!anyStillRunning()) view_.setMonitorTimerOn(false);
    } else {
        const std::int32_t running = matching + pendingLaunches();
        view_.setStatus("Scripts Completed:  " + std::to_string(std::max(started_ - running, 0)));
        if (running == 0) view_.setMonitorTimerOn(false);
    }
}

}  // namespace vantrel
