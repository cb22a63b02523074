#include "app/MainWindowLogic.h"

#include <cmath>
#include <functional>
#include <stdexcept>

#include "queue/LocalTime.h"

namespace vantrel {

namespace {

constexpr const char* kConcurrencyValue = "Id";
constexpr int kDefaultConcurrency = 1;
constexpr const char* kPartialWindowTitle = "esscmd.exe";
constexpr double kListExtentTwips = 500;
constexpr const char* kDamagedRecordChoice =
    "\n\nWhich of its scripts started cannot be told. OK: take every script of the queue as "
    "done (none starts until you choose Run Again). Cancel: start afresh, every script runs "
    "again.";

std::string StoreProblemText(const StoreProblem& problem) {
    if (problem.readOnly)
        return "The settings store " + problem.location + " can only be read: " + problem.reason +
               ".\n\nVantrel shows the saved queue and can run it, but the queue cannot be "
               "changed: adding, removing, moving and importing scripts are refused. A number "
               "of scripts to run at a time or an option you choose applies until Vantrel is "
               "closed.";
    return "The settings store " + problem.location + " cannot be used: " + problem.reason +
           ".\n\nVantrel starts with an empty queue, and changes will not be kept. The file "
           "has been left as it is.";
}

std::string NotStoredText(const std::string& what, const char* reason) {
    return what + " could not be saved in the settings store: " + reason +
           ".\n\nIt applies until Vantrel is closed.";
}

/// An on/off choice of the Options menu: the value that stores it, "1" or
/// "0", and what it is when the value is absent or holds anything else.
struct StoredChoice {
    Command command;
    const char* valueName;
    bool whenAbsent;
    const char* what;
};

constexpr StoredChoice kChoices[] = {
    // Only "0" switches them off: the boxes are the program's own way.
    {Command::ShowRunMessages, "ShowRunMessages", true, "The choice to show the run messages"},
    {Command::StopAfterFailure, "StopOnFailure", false,
     "The choice to stop starting scripts after a failure"},
};

const StoredChoice& ChoiceOf(Command command) {
    for (const StoredChoice& choice : kChoices)
        if (choice.command == command) return choice;
    throw std::logic_error("not an on/off choice");
}

/// A stored concurrency the drop-down list offers, or nothing.
std::optional<int> ConcurrencyChoice(std::string_view text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kMaxConcurrency) return std::nullopt;
    return text[0] - '0';
}

}  // namespace

/// What start-up could not read and what stands in for it, told in one notice.
class MainWindowLogic::StartUpFallbacks {
public:
    /// Runs the read; when the store fails it, notes what stands in instead.
    void attempt(const std::string& fallback, const std::function<void()>& read) {
        try {
            read();
        } catch (const StoreError& error) {
            lines_ += "\n- " + fallback + " (" + error.what() + ")";
        }
    }
    std::optional<std::string> notice() const {
        if (lines_.empty()) return std::nullopt;
        return "Some settings could not be read from the settings store, so Vantrel starts "
               "without them:" +
               lines_ + "\n\nNothing has been changed in the store.";
    }

private:
    std::string lines_;
};

std::string ResumeQuestion(const InterruptedRun& run) {
    return "The run started at " + ReadableLocalTime(run.startedAt).substr(0, 16) +
           " was interrupted: " + std::to_string(run.entriesStarted) + " of " +
           std::to_string(run.entries) + " scripts started, " + std::to_string(run.stillRunning) +
           (run.stillRunning == 1 ? " is" : " are") +
           " still running. Resume it?\n\nOK: the scripts not yet started run next. Cancel: "
           "start afresh, every script runs again.";
}

int ListHorizontalExtent(double twipsPerPixel) {
    // The default rounding mode rounds halves to the even neighbour.
    return static_cast<int>(std::nearbyint(kListExtentTwips / twipsPerPixel));
}

MainWindowLogic::MainWindowLogic(const ProgramParts& parts, MainView& view, FileChooser& chooser)
    : state_(parts.state),
      options_(parts.options),
      unattended_(view, parts.report),
      view_(options_.exitWhenDone ? static_cast<MainView&>(unattended_) : view),
      storeProblem_(parts.storeProblem),
      settings_(parts.store),
      record_(settings_, kQueueRecordKeyPath),
      journal_(parts.stateFolder),
      history_(parts.stateFolder, journal_),
      run_(parts.state, view, parts.windows, parts.launcher, history_, parts.wallClock),
      editor_(parts.state, record_, view.queueList(), view_, view_, chooser) {
    run_.setCloseWhenDone(options_.exitWhenDone);
    run_.setQueueCheck([this] { return editor_.showAgainIfChangedElsewhere(); });
}

std::optional<std::string> MainWindowLogic::load() {
    // Nobody is there to decide how to go on without the saved queue.
    if (storeProblem_ && !storeProblem_->readOnly && options_.exitWhenDone)
        return StoreProblemText(*storeProblem_);
    if (storeProblem_) view_.showNotice(StoreProblemText(*storeProblem_));
    state_.settingsKeyPath = kSettingsKeyPath;
    state_.queueRecordKeyPath = kQueueRecordKeyPath;
    StartUpFallbacks fallbacks;
    if (!storeProblem_ || !storeProblem_->readOnly)
        fallbacks.attempt("its keys were not created; they will be with the first change", [&] {
            settings_.createKey(state_.settingsKeyPath);
            settings_.createKey(state_.queueRecordKeyPath);
        });
    fallbacks.attempt("the saved queue: the list shows none", [&] {
        LoadQueue(record_, view_.queueList(), state_.scriptTable);
    });
    if (options_.importFile)
        if (std::optional<std::string> refusal = editor_.importListFile(*options_.importFile))
            return refusal;
    restoreConcurrency(fallbacks);
    restoreChoices(fallbacks);
    view_.setRunCaption(RunCaption(run_.phase()));
    view_.setPartialWindowTitle(kPartialWindowTitle);
    run_.setPartialTitle(kPartialWindowTitle);
    view_.setListHorizontalExtent(ListHorizontalExtent(view_.twipsPerPixel()));
    if (const std::optional<std::string> notice = fallbacks.notice()) view_.showNotice(*notice);
    offerResume();
    return std::nullopt;
}

void MainWindowLogic::onWindowShown() {
    if (options_.start) run_.onStartStopClicked();
}

std::string MainWindowLogic::answerLaterStart(std::string_view request) {
    if (request != kStartRunRequest) return {};
    return startRequested().value_or("the run has started");
}

std::optional<std::string> MainWindowLogic::startRequested() {
    switch (run_.phase()) {
        case RunPhase::Running: return "a run is going on already";
        case RunPhase::Finished:
            return "the run has finished; close Vantrel and start it again for another";
        case RunPhase::Idle:
        case RunPhase::Stopped: break;
    }
    apply(Command::ShowRunMessages, false);
    run_.onStartStopClicked();
    return std::nullopt;
}

int MainWindowLogic::exitStatus() const {
    return options_.exitWhenDone ? ExitStatus(run_.ending()) : 0;
}

void MainWindowLogic::offerResume() {
    const std::optional<InterruptedRun> interrupted = run_.takeOverInterruptedRun();
    if (!run_.recordProblem().empty() &&
        view_.confirm(run_.recordProblem() + kDamagedRecordChoice))
        run_.skipEverything();
    if (!interrupted) return;
    // A run started from the command line carries on where the last one stopped.
    if (options_.start || view_.confirm(ResumeQuestion(*interrupted)))
        run_.resumeInterruptedRun();
    else
        run_.giveUpInterruptedRun();
}

bool MainWindowLogic::onCloseRequested() {
    const std::optional<std::string> question = run_.closeQuestion();
    return !question || view_.confirm(*question);
}

void MainWindowLogic::openLogOfSelection() {
    const std::vector<int> rows = SelectedRows(view_.queueList());
    const std::string log = rows.empty() ? std::string() : run_.logOf(rows.front());
    if (log.empty())
        view_.showNotice("The selected script has no log: it has not been started in this run.");
    else if (!view_.openFile(log))
        view_.showNotice("The log " + log + " cannot be opened.");
}

void MainWindowLogic::restoreConcurrency(StartUpFallbacks& fallbacks) {
    int concurrency = kDefaultConcurrency;
    fallbacks.attempt("the number of scripts to run at a time: one runs at a time", [&] {
        // A value edited by hand that the list does not offer shows the
        // default, and stays stored until the user picks a concurrency.
        concurrency = ConcurrencyChoice(settings_.stringValue(state_.settingsKeyPath,
                                                              kConcurrencyValue, ""))
                          .value_or(kDefaultConcurrency);
    });
    concurrency = options_.concurrency.value_or(concurrency);
    view_.setConcurrency(concurrency);
    run_.setConcurrency(concurrency);
}

void MainWindowLogic::restoreChoices(StartUpFallbacks& fallbacks) {
    for (const StoredChoice& choice : kChoices) {
        bool on = choice.whenAbsent;
        fallbacks.attempt(std::string(choice.what) + ": as when none is stored", [&] {
            const std::string stored = settings_.stringValue(state_.settingsKeyPath, choice.valueName, "");
            on = stored == (choice.whenAbsent ? "0" : "1") ? !choice.whenAbsent : choice.whenAbsent;
        });
        apply(choice.command, on);
    }
    // For this run only; what is stored stays.
    if (options_.start) apply(Command::ShowRunMessages, false);
    if (options_.stopOnFailure) apply(Command::StopAfterFailure, true);
}

void MainWindowLogic::onConcurrencyChosen(int concurrency) {
    if (concurrency < 1 || concurrency > kMaxConcurrency) return;
    run_.setConcurrency(concurrency);
    try {
        settings_.setStringValue(state_.settingsKeyPath, kConcurrencyValue,
                                 std::to_string(concurrency));
    } catch (const StoreError& error) {
        view_.showNotice(NotStoredText("The number of scripts to run at a time", error.what()));
    }
}

void MainWindowLogic::onActivateMatchModeChosen(MatchMode mode) { run_.setActivateMatchMode(mode); }

void MainWindowLogic::apply(Command choice, bool on) {
    choices_[choice] = on;
    view_.setCommandChecked(choice, on);
    if (choice == Command::ShowRunMessages) run_.setRunMessagesShown(on);
    if (choice == Command::StopAfterFailure) run_.setStopOnFailure(on);
}

void MainWindowLogic::toggle(Command command) {
    const StoredChoice& choice = ChoiceOf(command);
    const bool on = !chosen(command);
    apply(command, on);
    try {
        settings_.setStringValue(state_.settingsKeyPath, choice.valueName, on ? "1" : "0");
    } catch (const StoreError& error) {
        view_.showNotice(NotStoredText(choice.what, error.what()));
    }
}

bool MainWindowLogic::edit(Command command) {
    switch (command) {
        case Command::AddScripts: editor_.addScripts(); return true;
        case Command::RemoveSelected: editor_.removeSelected(); return true;
        case Command::MoveSelectedUp: editor_.moveSelectedUp(); return true;
        case Command::MoveSelectedDown: editor_.moveSelectedDown(); return true;
        case Command::ImportList: editor_.importList(run_.goesOn()); return true;
        default: return false;
    }
}

bool MainWindowLogic::allowed(Command command) const {
    const bool editing = command == Command::AddScripts || command == Command::RemoveSelected;
    return !editing || run_.phase() != RunPhase::Running;
}

void MainWindowLogic::onFilesDropped(const std::vector<std::string>& paths) {
    editor_.dropFiles(paths);
    run_.noteQueueChanged();
}

void MainWindowLogic::onCommand(Command command) {
    if (!allowed(command)) return;
    if (edit(command)) return run_.noteQueueChanged();
    switch (command) {
        case Command::ExportList: return editor_.exportList();
        case Command::StartStop: return run_.onStartStopClicked();
        case Command::Activate: return run_.onActivateClicked();
        case Command::ShowRunMessages:
        case Command::StopAfterFailure: return toggle(command);
        case Command::About: return view_.showAboutBox();
        case Command::RunAgain: return run_.runAgain(SelectedRows(view_.queueList()));
        case Command::Skip: return run_.skip(SelectedRows(view_.queueList()));
        case Command::OpenLog: return openLogOfSelection();
        // Edits, run above.
        case Command::AddScripts:
        case Command::RemoveSelected:
        case Command::MoveSelectedUp:
        case Command::MoveSelectedDown:
        case Command::ImportList: return;
    }
}

}  // namespace vantrel
