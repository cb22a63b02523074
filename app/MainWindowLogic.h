#pragma once

#include <optional>
#include <string>

#include "app/MainView.h"
#include "queue/ProgramState.h"
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

/// The decisions of the main window: its start-up, the stored concurrency,
/// and the run. The window forwards its events here and only shows.
class MainWindowLogic {
public:
    MainWindowLogic(ProgramState& state, SettingsKeys& settings, MainView& view,
                    WindowList& windows, Launcher& launcher,
                    std::optional<StoreProblem> storeProblem = std::nullopt);

    /// The start-up: settings keys, the saved queue, the concurrency, the partial title.
    void load();
    /// Stores the concurrency exactly as shown, at once; says so when the store refuses it.
    void onConcurrencyChosen();
    /// Switches the run's message boxes on or off and stores the choice at once.
    void onRunMessagesChosen(bool shown);

    RunController& run() { return run_; }
    QueueRecord& queueRecord() { return record_; }

private:
    void restoreConcurrency();
    void restoreRunMessages();

    ProgramState& state_;
    SettingsKeys& settings_;
    MainView& view_;
    QueueRecord record_;
    RunJournal journal_{DefaultJournalFolder()};
    RunController run_;
    std::optional<StoreProblem> storeProblem_;
};

/// The queue list's sideways extent in pixels for the screen's twips per pixel.
int ListHorizontalExtent(double twipsPerPixel);

/// The concurrency the drop-down list offers.
bool IsConcurrencyChoice(std::string_view text);

}  // namespace vantrel
