#pragma once

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/MainView.h"
#include "app/ProgramOptions.h"
#include "app/ProgramStart.h"
#include "app/UnattendedView.h"
#include "queue/FileChooser.h"
#include "queue/ProgramState.h"
#include "queue/QueueEditor.h"
#include "queue/QueueRecord.h"
#include "run/RunController.h"
#include "settings/SettingsKeys.h"

namespace vantrel {

/// Why the user's store could not be used, so start-up can say so; a store
/// that is only read (readOnly) still holds the saved queue.
struct StoreProblem {
    std::string location;
    std::string reason;
    bool readOnly = false;
};

/// What the program is made of apart from its window.
struct ProgramParts {
    ProgramParts(ProgramState& state, Store& store, WindowList& windows, Launcher& launcher,
                 std::optional<StoreProblem> storeProblem = std::nullopt,
                 std::filesystem::path stateFolder = DefaultJournalFolder())
        : state(state),
          store(store),
          windows(windows),
          launcher(launcher),
          storeProblem(std::move(storeProblem)),
          stateFolder(std::move(stateFolder)) {}

    ProgramState& state;
    Store& store;
    WindowList& windows;
    Launcher& launcher;
    std::optional<StoreProblem> storeProblem;
    /// Where the journal and the record of the last run live.
    std::filesystem::path stateFolder;
    RunController::WallClock wallClock = std::chrono::system_clock::now;
    ProgramOptions options;
    /// Where a run with nobody at the keyboard tells what boxes would say.
    std::function<void(const std::string&)> report = [](const std::string& text) {
        std::cerr << "vantrel: " << text << std::endl;
    };
};

/// The decisions of the main window: its start-up, its commands, the stored
/// settings, the queue editing and the run. Both front ends forward their
/// events here and only show what it tells them.
class MainWindowLogic {
public:
    MainWindowLogic(const ProgramParts& parts, MainView& view, FileChooser& chooser);

    /// The start-up: settings keys, the saved queue (and a list file given
    /// on the command line), the concurrency, the choices and the partial
    /// title; then the offer to resume a run cut short. A default stands in
    /// for what cannot be read, and a notice says so. Nothing when the window
    /// may open; otherwise why the program cannot run.
    std::optional<std::string> load();
    /// The window is up: a run asked for on the command line starts.
    void onWindowShown();
    /// A later start of the program hands over its request (kStartRunRequest
    /// or kComeForwardRequest); the answer goes back to it: empty when the
    /// window only comes forward, else whether the run started, or why not.
    std::string answerLaterStart(std::string_view request);
    /// The status the program ends with.
    int exitStatus() const;

    /// A button, a menu item or a key.
    void onCommand(Command command);
    /// The user picked a concurrency; it is stored at once.
    void onConcurrencyChosen(int concurrency);
    /// The user picked the hidden Activate button's match mode.
    void onActivateMatchModeChosen(MatchMode mode);
    /// Files and folders dropped on the queue list, full paths in drop order.
    void onFilesDropped(const std::vector<std::string>& paths);
    void onLaunchTick() { run_.onLaunchTick(); }
    void onMonitorTick() { run_.onCompletionTick(); }
    /// The user asks to close the window; false when it is to stay open.
    bool onCloseRequested();

    /// Replaces the file dialogs of the queue commands (the window's own by default).
    void setFileChooser(FileChooser& chooser) { editor_.setFileChooser(chooser); }
    bool runMessagesShown() const { return chosen(Command::ShowRunMessages); }
    const RunController& run() const { return run_; }

private:
    class StartUpFallbacks;
    void restoreConcurrency(StartUpFallbacks& fallbacks);
    void restoreChoices(StartUpFallbacks& fallbacks);
    /// Offers to resume a run the last program run left unfinished.
    void offerResume();
    /// The run starts as --start would start it, when no run goes on; otherwise why not.
    std::optional<std::string> startRequested();
    void openLogOfSelection();
    bool chosen(Command choice) const { return choices_.at(choice); }
    /// Applies an on/off choice of the Options menu, without storing it.
    void apply(Command choice, bool on);
    /// The user switches the choice; it is stored at once.
    void toggle(Command choice);
    /// Runs the command when it edits the queue; false when it does not.
    bool edit(Command command);
    /// Add and Remove change the queue only while no run goes on.
    bool allowed(Command command) const;

    ProgramState& state_;
    ProgramOptions options_;
    UnattendedView unattended_;
    /// The window, or, in a run with nobody at the keyboard, what stands in for its boxes.
    MainView& view_;
    std::optional<StoreProblem> storeProblem_;
    SettingsKeys settings_;
    QueueRecord record_;
    RunJournal journal_;
    RunHistory history_;
    RunController run_;
    QueueEditor editor_;
    std::map<Command, bool> choices_;
};

/// The question start-up asks about a run the last program run left unfinished.
std::string ResumeQuestion(const InterruptedRun& run);

/// The queue list's sideways extent in pixels for the screen's twips per pixel.
int ListHorizontalExtent(double twipsPerPixel);

}  // namespace vantrel
