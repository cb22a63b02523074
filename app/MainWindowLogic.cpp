#include "app/MainWindowLogic.h"

#include <cmath>
#include <functional>

#include "queue/LocalTime.h"

namespace vantrel {

namespace {

constexpr const char* kConcurrencyValue = "Id";
constexpr int kDefaultConcurrency = 1;
constexpr const char* kRunMessagesValue = "ShowRunMessages";
constexpr const char* kPartialWindowTitle = "esscmd.exe";
constexpr double kListExtentTwips = 500;
constexpr const char* kDamagedRecordChoice =
    "\n\nWhich of its scripts started cannot be told. OK: take every script of the queue as "
    "done (none starts until you choose Run Again). Cancel: start afresh, every script runs "
    "again.";

std::string StoreProblemText(const StoreProblem& problem) {
    if (problem.readOnly)
        return "The settings store " + problem.location + " is read only: " + problem.reason +
               ".\n\nVantrel shows the saved queue, but changes will not be kept.";
    return "The settings store " + problem.location + " cannot be used: " + problem.reason +
           ".\n\nVantrel starts with an empty queue, and changes will not be kept. The file "
           "has been left as it is.";
}

std::string NotStoredText(const std::string& what, const char* reason) {
    return what + " could not be saved in the settings store: " + reason +
           ".\n\nIt applies until Vantrel is closed.";
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
      view_(view),
      storeProblem_(parts.storeProblem),
      settings_(parts.store),
      record_(settings_, kQueueRecordKeyPath),
      journal_(parts.stateFolder),
      history_(parts.stateFolder, journal_),
      run_(parts.state, view, parts.windows, parts.launcher, history_, parts.wallClock),
      editor_(parts.state, record_, view.queueList(), view, view, chooser) {}

void MainWindowLogic::load() {
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
    restoreConcurrency(fallbacks);
    restoreRunMessages(fallbacks);
    view_.setRunCaption(RunCaption(run_.phase()));
    view_.setPartialWindowTitle(kPartialWindowTitle);
    run_.setPartialTitle(kPartialWindowTitle);
    view_.setListHorizontalExtent(ListHorizontalExtent(view_.twipsPerPixel()));
    if (const std::optional<std::string> notice = fallbacks.notice()) view_.showNotice(*notice);
    offerResume();
}

void MainWindowLogic::offerResume() {
    const std::optional<InterruptedRun> interrupted = run_.takeOverInterruptedRun();
    if (!run_.recordProblem().empty() &&
        view_.confirm(run_.recordProblem() + kDamagedRecordChoice))
        run_.skipEverything();
    if (!interrupted) return;
    if (view_.confirm(ResumeQuestion(*interrupted)))
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
    view_.setConcurrency(concurrency);
    run_.setConcurrency(concurrency);
}

void MainWindowLogic::restoreRunMessages(StartUpFallbacks& fallbacks) {
    bool shown = true;
    fallbacks.attempt("whether to show the run messages: they are shown", [&] {
        // Only "0" switches them off: the boxes are the program's own way, and
        // any other value edited by hand keeps them.
        shown = settings_.stringValue(state_.settingsKeyPath, kRunMessagesValue, "1") != "0";
    });
    showRunMessages(shown);
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

void MainWindowLogic::showRunMessages(bool shown) {
    runMessagesShown_ = shown;
    view_.setRunMessagesChecked(shown);
    run_.setRunMessagesShown(shown);
}

void MainWindowLogic::chooseRunMessages(bool shown) {
    showRunMessages(shown);
    try {
        settings_.setStringValue(state_.settingsKeyPath, kRunMessagesValue, shown ? "1" : "0");
    } catch (const StoreError& error) {
        view_.showNotice(NotStoredText("The choice to show the run messages", error.what()));
    }
}

bool MainWindowLogic::edit(Command command) {
    switch (command) {
        case Command::AddScripts: editor_.addScripts(); return true;
        case Command::RemoveSelected: editor_.removeSelected(); return true;
        case Command::MoveSelectedUp: editor_.moveSelectedUp(); return true;
        case Command::MoveSelectedDown: editor_.moveSelectedDown(); return true;
        case Command::ImportList: editor_.importList(); return true;
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
        case Command::ShowRunMessages: return chooseRunMessages(!runMessagesShown_);
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
