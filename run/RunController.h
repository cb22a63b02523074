#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "queue/ProgramState.h"
#include "run/Launcher.h"
#include "run/RunView.h"
#include "run/WindowList.h"

namespace vantrel {

/// Starts the queued scripts while fewer than the chosen number of their
/// windows are open, and reports progress on the main window.
class RunController {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    /// A started script whose window has not been seen yet counts as running
    /// for at most this long (a terminal takes a moment to map its window).
    static constexpr std::chrono::milliseconds kWindowGrace{2000};

    RunController(ProgramState& state, RunView& view, WindowList& windows, Launcher& launcher,
                  Clock clock = std::chrono::steady_clock::now);

    /// Start, Stop, or (after a finished run) close the program.
    void onStartStopClicked();
    /// The launch tick.
    void onLaunchTick();
    /// The completion monitor's tick: the scripts started in this program run
    /// that no longer run; it stops once none runs.
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
    struct PendingLaunch {
        std::string commandLine;
        std::int32_t windowsBefore;
        std::chrono::steady_clock::time_point startedAt;
    };

    int concurrency();
    std::string partialTitle();
    void start();
    void stop();
    void finish();
    bool launch(const std::string& commandLine, const std::string& scriptPath);
    std::int32_t pendingLaunches(const std::vector<TopLevelWindow>& walk);

    ProgramState& state_;
    RunView& view_;
    WindowList& windows_;
    Launcher& launcher_;
    Clock clock_;
    bool checking_ = false;
    std::int32_t started_ = 0;
    std::vector<PendingLaunch> pending_;
};

/// The command line shown for, and given to, a script: esscmd.exe "path".
std::string CommandLine(std::string_view scriptPath);

}  // namespace vantrel
