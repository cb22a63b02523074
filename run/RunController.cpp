#include "run/RunController.h"

#include <algorithm>
#include <utility>

#include "queue/LocalTime.h"
#include "queue/QueueEntry.h"
#include "queue/ScriptProgress.h"
#include "run/AtomicFile.h"
#include "run/RunSummary.h"

namespace vantrel {

namespace {

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

int ExitStatus(RunEnding ending) { return static_cast<int>(ending); }

std::string_view RunCaption(RunPhase phase) {
    switch (phase) {
        case RunPhase::Running: return kStopCaption;
        case RunPhase::Finished: return kFinishedCaption;
        case RunPhase::Idle:
        case RunPhase::Stopped: break;
    }
    return kStartCaption;
}

RunController::RunController(ProgramState& state, RunView& view, WindowList& windows,
                             Launcher& launcher, RunHistory& history, WallClock wallClock)
    : state_(state),
      view_(view),
      windows_(windows),
      launcher_(launcher),
      history_(history),
      wallClock_(std::move(wallClock)),
      tracker_(launcher) {}

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
    journalProblemTold_ = recordProblemTold_ = endTold_ = false;
    durations_ = ScriptDurations::FromJournal(history_.journalFolder());
    stoppedByFailure_ = couldNotStart_ = false;
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
    // The list, the record and the journal learn when the last scripts end from the monitor's walks.
    if (tracker_.anyRunning()) view_.setMonitorTimerOn(true);
    finishRecordWhenAllEnded();
    endWhenDone();
}

void RunController::stopOnFailureWhenOneFailed() {
    if (!stopOnFailure_ || phase_ != RunPhase::Running || failedScripts() == 0) return;
    stoppedByFailure_ = true;
    stop();
}

void RunController::endWhenDone() {
    const bool finished = phase_ == RunPhase::Finished;
    const bool cameToItsEnd =
        finished || (phase_ == RunPhase::Stopped && (stoppedByFailure_ || couldNotStart_));
    if (!cameToItsEnd || tracker_.anyRunning() || endTold_) return;
    endTold_ = true;
    if ((finished || stoppedByFailure_) && tracker_.size() > 0)
        view_.notifyDesktop(RunSummaryText(tracker_, stoppedByFailure_));
    if (closeWhenDone_) view_.closeWindow();
}

int RunController::failedScripts() const {
    int failed = 0;
    for (int id = 0; id < tracker_.size(); ++id)
        failed += tracker_.launch(id).failed() && !tracker_.launch(id).record.superseded;
    return failed;
}

RunEnding RunController::ending() const {
    if (couldNotStart_ && started_ == 0) return RunEnding::CouldNotRun;
    if (failedScripts() > 0) return RunEnding::SomeFailed;
    if (phase_ == RunPhase::Finished && !tracker_.anyRunning()) return RunEnding::AllSucceeded;
    return RunEnding::CutShort;
}

void RunController::finishRecordWhenAllEnded() {
    if (phase_ != RunPhase::Finished || tracker_.anyRunning() || !history_.going()) return;
    try {
        history_.finish(tracker_);
    } catch (const FileWriteError& error) {
        problems_.push_back("The run record cannot be written: " + std::string(error.what()) + ".");
    }
}

void RunController::onLaunchTick() {
    guard_.runAlone([this] { checkAndLaunch(); });
    // Told once the check is over, so the run goes on while the box is open.
    showProblems();
}

void RunController::onActivateClicked() {
    guard_.runAlone([this] {
        if (activateMode_ == MatchMode::StartsWith)
            WindowTitleSearch::activateMatchingWindow(windows_, view_, partialTitle_,
                                                      MatchMode::StartsWith);
        else if (activateMode_ == MatchMode::Contains)
            checkAndLaunch();
    });
    showProblems();
}

std::int32_t RunController::runningScripts(const std::vector<TopLevelWindow>& walk) const {
    return WindowTitleSearch::countMatchingWindows(walk, partialTitle_, MatchMode::Contains) +
           tracker_.runningWithoutWindow(walk);
}

void RunController::checkAndLaunch() {
    if (messagesShown_)
        view_.showNotice(std::to_string(
            WindowTitleSearch::countMatchingWindows(windows_, partialTitle_, MatchMode::Contains)));
    // The box may have stayed open for any time: decide on the windows as they are now.
    const std::vector<TopLevelWindow> walk = windows_.topLevelWindows();
    followLaunches(walk);
    const std::int32_t running = runningScripts(walk);
    showRunning(running);
    showStatus();
    // A failure just seen may have stopped the run.
    if (phase_ == RunPhase::Running && running < concurrency_) launchNextScript();
}

void RunController::launchNextScript() {
    ScriptTable& table = state_.scriptTable;
    const auto next = std::find_if(table.begin(), table.end(), [](const ScriptRow& row) {
        return row.entryText.empty() || !row.executed();
    });
    if (next == table.end() || next->entryText.empty()) return finish();
    // Marked before the box: an entry moved while it is open takes its mark along.
    const int id = tracker_.size();
    next->progress = {};
    next->progress.state = RowProgress::Started;
    next->progress.launch = id;
    if (messagesShown_) view_.showNotice(CommandLine(ScriptPath(next->entryText)));
    const int row = rowOf(id);
    if (row < 0 || !launch(id, row)) return;
    ++started_;
    showProgress(id);
    showStatus();
}

bool RunController::launch(int id, int row) {
    history_.beginUnlessGoing(wallClock_());
    const std::string entryText = state_.scriptTable[row].entryText;
    RecordedLaunch record;
    record.entryText = entryText;
    record.key = keyOf(row);
    record.startedAt = wallClock_();
    record.outcomeFile = history_.outcomeFileFor(id);
    record.logFile = history_.logFileFor(id);
    const LaunchRequest request{CommandLine(record.key.scriptPath), record.key.scriptPath,
                                record.outcomeFile, record.logFile};
    tracker_.add(std::move(record), windows_.topLevelWindows());
    try {
        // Written down first: a program killed a moment later never starts it again.
        history_.save(tracker_);
        tracker_.started(id, launcher_.startScript(request));
    } catch (const std::runtime_error& error) {
        const bool recordFailed = dynamic_cast<const FileWriteError*>(&error) != nullptr;
        tracker_.dropLast();
        if (!recordFailed) keepRecord();
        undoMarking(id);
        couldNotStart_ = true;
        view_.showNotice(recordFailed ? "The run record cannot be written: " +
                                            std::string(error.what()) +
                                            ".\n\nNo script is started that Vantrel could not "
                                            "note down, so the run has stopped."
                                      : std::string(error.what()));
        stop();
        endWhenDone();
        return false;
    }
    keepRecord();
    return true;
}

EntryKey RunController::keyOf(int row) const {
    std::vector<std::string> texts;
    for (int r = 0; r <= row; ++r) texts.push_back(state_.scriptTable[r].entryText);
    return EntryKeys(texts).back();
}

int RunController::rowOf(int id) const {
    const ScriptTable& table = state_.scriptTable;
    const auto row = std::find_if(table.begin(), table.end(), [id](const ScriptRow& r) {
        return r.executed() && r.progress.launch == id;
    });
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
    state_.scriptTable[row].progress = ProgressOf(tracker_.launch(id), id);
    showRow(row);
}

void RunController::showRow(int row) {
    ListBox& list = view_.queueList();
    if (row < list.count())
        ShowRowProgress(list, row, state_.scriptTable[row].entryText, state_.scriptTable[row].progress);
}

void RunController::showStatus() {
    const int failed = failedScripts();
    const std::string status = "Scripts Executed:  " + std::to_string(started_) +
                               (failed > 0 ? "   Scripts Failed:  " + std::to_string(failed) : "") +
                               timeLeft();
    setStatus(status);
}

void RunController::setStatus(const std::string& text) {
    // Shown again at every tick, for the time left: the window only hears of a change.
    if (text != status_) view_.setStatus(status_ = text);
}

std::string RunController::timeLeft() const {
    if (phase_ != RunPhase::Running) return {};
    std::vector<std::string> waiting;
    for (const ScriptRow& row : state_.scriptTable)
        if (!row.entryText.empty() && !row.executed()) waiting.push_back(ScriptPath(row.entryText));
    std::vector<GoingScript> going;
    for (int id = 0; id < tracker_.size(); ++id) {
        const LaunchTracker::Launch& launch = tracker_.launch(id);
        if (launch.running())
            going.push_back({launch.record.key.scriptPath, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                               wallClock_() - launch.record.startedAt)});
    }
    if (waiting.empty() && going.empty()) return {};
    const std::optional<std::chrono::milliseconds> left =
        EstimateTimeLeft(waiting, going, concurrency_, durations_);
    return left ? "   " + TimeLeftText(*left) : std::string();
}

void RunController::followLaunches(const std::vector<TopLevelWindow>& walk) {
    const std::vector<int> changed = tracker_.follow(walk, wallClock_());
    if (changed.empty()) return;
    bool ended = false;
    for (const int id : changed) {
        showProgress(id);
        ended = ended || !tracker_.launch(id).running();
    }
    if (ended) {
        keepJournal();
        showStatus();
        stopOnFailureWhenOneFailed();
        finishRecordWhenAllEnded();
        endWhenDone();
    } else {
        keepRecord();
    }
}

void RunController::keepRecord() {
    try {
        history_.save(tracker_);
    } catch (const FileWriteError& error) {
        if (std::exchange(recordProblemTold_, true)) return;
        problems_.push_back("The run record cannot be written: " + std::string(error.what()) +
                            ".\n\nThe run goes on; should Vantrel end now, the record may not "
                            "show how its last scripts ended.");
    }
}

void RunController::keepJournal(bool unended) {
    try {
        history_.journal(tracker_, unended);
    } catch (const JournalError& error) {
        if (std::exchange(journalProblemTold_, true)) return;
        problems_.push_back("The run journal cannot be written: " + std::string(error.what()) +
                            ".\n\nThe run goes on; the times of this run's scripts are not kept.");
    } catch (const FileWriteError&) {
        keepRecord();
    }
}

void RunController::showProblems() {
    std::vector<std::string> problems;
    problems.swap(problems_);
    for (const std::string& problem : problems) view_.showNotice(problem);
}

void RunController::showRunning(std::int32_t running) {
    view_.setRunningText(messagesShown_ ? std::string()
                                        : "Running:  " + std::to_string(running) + " of " +
                                              std::to_string(concurrency_));
}

void RunController::onCompletionTick() {
    guard_.runAlone([this] { followCompletions(); });
    showProblems();
}

void RunController::followCompletions() {
    const std::vector<TopLevelWindow> walk = windows_.topLevelWindows();
    followLaunches(walk);
    const std::int32_t running = runningScripts(walk);
    showRunning(running);
    if (phase_ == RunPhase::Finished) {
        if (!tracker_.anyRunning()) view_.setMonitorTimerOn(false);
        return;
    }
    int ended = 0;
    for (int id = 0; id < tracker_.size(); ++id) {
        const LaunchTracker::Launch& launch = tracker_.launch(id);
        ended += !launch.running() && !launch.record.skipped;
    }
    setStatus("Scripts Completed:  " + std::to_string(ended));
    if (running == 0) view_.setMonitorTimerOn(false);
}

std::optional<InterruptedRun> RunController::takeOverInterruptedRun() {
    const RunRecordFile::Loaded loaded = history_.loadLast();
    if (!loaded.problem.empty())
        recordProblem_ = "The record of the last run, " +
                         (loaded.setAsideAs ? loaded.setAsideAs->string() : std::string()) +
                         ", cannot be read: " + loaded.problem + ".";
    if (!loaded.run || loaded.run->finished) return std::nullopt;
    history_.carryOn(*loaded.run);
    for (const RecordedLaunch& launch : loaded.run->launches) tracker_.adopt(launch);
    tracker_.follow(windows_.topLevelWindows(), wallClock_());
    InterruptedRun interrupted{loaded.run->startedAt, 0, 0, tracker_.runningCount()};
    std::vector<std::string> texts;
    for (const ScriptRow& row : state_.scriptTable)
        if (!row.entryText.empty()) texts.push_back(row.entryText);
    const RunRecord run{history_.run().runId, history_.run().startedAt, false, tracker_.records()};
    for (const EntryKey& key : EntryKeys(texts)) interrupted.entriesStarted += LaunchFor(run, key) != nullptr;
    interrupted.entries = static_cast<int>(texts.size());
    const bool allOrNoneStarted =
        interrupted.entriesStarted == interrupted.entries || interrupted.entriesStarted == 0;
    if (allOrNoneStarted && interrupted.stillRunning == 0) {
        // It ran to its end after all, or never began: resuming would change nothing.
        keepJournal();
        giveUpInterruptedRun();
        return std::nullopt;
    }
    return interrupted;
}

void RunController::resumeInterruptedRun() {
    const RunRecord run{history_.run().runId, history_.run().startedAt, false, tracker_.records()};
    std::vector<std::string> texts;
    for (const ScriptRow& row : state_.scriptTable) texts.push_back(row.entryText);
    const std::vector<EntryKey> keys = EntryKeys(texts);
    for (int row = 0; row < kScriptTableRows; ++row) {
        if (state_.scriptTable[row].entryText.empty()) continue;
        const RecordedLaunch* launch = LaunchFor(run, keys[row]);
        if (launch == nullptr) continue;
        const int id = static_cast<int>(launch - run.launches.data());
        state_.scriptTable[row].progress = ProgressOf(tracker_.launch(id), id);
        showRow(row);
    }
    keepJournal();
    showPhase(RunPhase::Stopped);
    if (tracker_.anyRunning()) view_.setMonitorTimerOn(true);
}

void RunController::giveUpInterruptedRun() {
    keepJournal(true);
    try {
        history_.finish(tracker_);
    } catch (const FileWriteError& error) {
        problems_.push_back("The run record cannot be written: " + std::string(error.what()) + ".");
    }
    tracker_.clear();
}

void RunController::skipEverything() {
    std::vector<int> rows;
    for (int row = 0; row < view_.queueList().count() && row < kScriptTableRows; ++row)
        rows.push_back(row);
    skip(rows);
}

void RunController::noteQueueChanged() {
    bool changed = false;
    for (int id = 0; id < tracker_.size(); ++id) {
        const RecordedLaunch& launch = tracker_.launch(id).record;
        if (launch.superseded) continue;
        const int row = rowOf(id);
        if (row < 0) {
            tracker_.supersede(id);
            changed = true;
        } else if (const EntryKey key = keyOf(row); key != launch.key) {
            tracker_.rekey(id, key);
            changed = true;
        }
    }
    if (changed) keepRecord();
    showProblems();
}

void RunController::runAgain(const std::vector<int>& rows) {
    // A script that has just ended runs again too.
    followLaunches(windows_.topLevelWindows());
    for (const int row : rows) {
        if (row >= kScriptTableRows) continue;
        ScriptProgress& progress = state_.scriptTable[row].progress;
        if (progress.launch < 0 || tracker_.launch(progress.launch).running()) continue;
        tracker_.supersede(progress.launch);
        progress = {};
        showRow(row);
    }
    keepRecord();
    if (phase_ == RunPhase::Finished) showPhase(RunPhase::Stopped);
    showProblems();
}

void RunController::skip(const std::vector<int>& rows) {
    for (const int row : rows) {
        if (row >= kScriptTableRows || state_.scriptTable[row].executed()) continue;
        history_.beginUnlessGoing(wallClock_());
        RecordedLaunch record;
        record.entryText = state_.scriptTable[row].entryText;
        record.key = keyOf(row);
        record.startedAt = wallClock_();
        const int id = tracker_.skip(std::move(record));
        state_.scriptTable[row].progress = ProgressOf(tracker_.launch(id), id);
        showRow(row);
    }
    keepRecord();
    showProblems();
}

std::string RunController::logOf(int row) const {
    return row < kScriptTableRows ? state_.scriptTable[row].progress.logFile : std::string();
}

std::optional<std::string> RunController::closeQuestion() const {
    if (phase_ != RunPhase::Running) return std::nullopt;
    const int waiting = static_cast<int>(
        std::count_if(state_.scriptTable.begin(), state_.scriptTable.end(),
                      [](const ScriptRow& row) { return !row.entryText.empty() && !row.executed(); }));
    return "A run is going on: " + std::to_string(tracker_.runningCount()) +
           " scripts are running and " + std::to_string(waiting) +
           " are not started yet. Close Vantrel?\n\nThe running scripts go on, and the run can "
           "be resumed at the next start.";
}

}  // namespace vantrel
