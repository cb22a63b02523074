#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/MainView.h"
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
    ProgramState& state;
    Store& store;
    WindowList& windows;
    Launcher& launcher;
    std::optional<StoreProblem> storeProblem;
    /// Where the journal and the record of the last run live.
    std::filesystem::path stateFolder = DefaultJournalFolder();
    RunController::WallClock wallClock = std::chrono::system_clock::now;
};

/// The decisions of the main window: its start-up, its commands, the stored
/// settings, the queue editing and the run. Both front ends forward their
/// events here and only show what it tells them.
class MainWindowLogic {
public:
    MainWindowLogic(const ProgramParts& parts, MainView& view, FileChooser& chooser);

    /// The start-up: settings keys, the saved queue, the concurrency, the
    /// run messages and the partial title. A default stands in for what
    /// cannot be read, and a notice says so.
    void load();

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
    bool runMessagesShown() const { return runMessagesShown_; }
    const RunController& run() const { return run_; }

private:
    class StartUpFallbacks;
    void restoreConcurrency(StartUpFallbacks& fallbacks);
    void restoreRunMessages(StartUpFallbacks& fallbacks);
    /// Offers to resume a run the last program run left unfinished.
    void offerResume();
    void openLogOfSelection();
    void showRunMessages(bool shown);
    void chooseRunMessages(bool shown);
    /// Runs the command when it edits the queue; false when it does not.
    bool edit(Command command);
    /// Add and Remove change the queue only while no run goes on.
    bool allowed(Command command) const;

    ProgramState& state_;
    MainView& view_;
    std::optional<StoreProblem> storeProblem_;
    SettingsKeys settings_;
    QueueRecord record_;
    RunJournal journal_;
    RunHistory history_;
    RunController run_;
    QueueEditor editor_;
    bool runMessagesShown_ = true;
};

/// The question start-up asks about a run the last program run left unfinished.
std::string ResumeQuestion(const InterruptedRun& run);

/// The queue list's sideways extent in pixels for the screen's twips per pixel.
int ListHorizontalExtent(double twipsPerPixel);

}  // namespace vantrel
