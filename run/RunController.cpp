#include "run/RunController.h"

#include <algorithm>
#include <charconv>

#include "queue/QueueEntry.h"
#include "run/WindowTitleSearch.h"

namespace vantrel {

namespace {

// Counts the windows that carry this command line in their title.
std::int32_t WindowsCarrying(const std::vector<TopLevelWindow>& walk, std::string_view commandLine) {
    return WindowTitleSearch::countMatchingWindows(walk, commandLine, MatchContains);
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
                             Launcher& launcher, Clock clock)
    : state_(state), view_(view), windows_(windows), launcher_(launcher), clock_(std::move(clock)) {}

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
}

void RunController::onLaunchTick() { checkAndLaunch(partialTitle(), MatchContains); }

void RunController::onActivateClicked() {
    if (view_.startsWithChosen())
        WindowTitleSearch::activateMatchingWindow(windows_, view_, partialTitle(), MatchStartsWith);
    else
        checkAndLaunch(partialTitle(), MatchContains);
}

std::int32_t RunController::pendingLaunches(const std::vector<TopLevelWindow>& walk) {
    const auto now = clock_();
    std::erase_if(pending_, [&](const PendingLaunch& launch) {
        return now - launch.startedAt >= kWindowGrace ||
               WindowsCarrying(walk, launch.commandLine) > launch.windowsBefore;
    });
    return static_cast<std::int32_t>(pending_.size());
}

void RunController::checkAndLaunch(std::string_view partialTitle, std::int16_t mode) {
    // The message boxes below let ticks through; a second check inside the
    // first would show stale counts and could start one script too many.
    if (checking_) return;
    Guard guard(checking_);
    view_.showNotice(
        std::to_string(WindowTitleSearch::countMatchingWindows(windows_, partialTitle, mode)));
    // The box may have stayed open for any time: decide on the windows as they are now.
    const std::vector<TopLevelWindow> walk = windows_.topLevelWindows();
    const std::int32_t running = WindowTitleSearch::countMatchingWindows(walk, partialTitle, mode);
    if (running + pendingLaunches(walk) < concurrency()) launchNextScript();
}

void RunController::launchNextScript() {
    ScriptTable& table = state_.scriptTable;
    const auto next = std::find_if(table.begin(), table.end(), [](const ScriptRow& row) {
        return row.entryText.empty() || row.runState.empty();
    });
    if (next == table.end() || next->entryText.empty()) return finish();
    next->runState = kExecuted;

    const std::string scriptPath = ScriptPath(next->entryText);
    const std::string commandLine = CommandLine(scriptPath);
    view_.showNotice(commandLine);
    if (!launch(commandLine, scriptPath)) {
        next->runState.clear();
        return stop();
    }
    ++started_;
    view_.setStatus("Scripts Executed:  " + std::to_string(started_));
}

bool RunController::launch(const std::string& commandLine, const std::string& scriptPath) {
    const std::int32_t windowsBefore = WindowsCarrying(windows_.topLevelWindows(), commandLine);
    try {
        launcher_.startScript(commandLine, scriptPath);
    } catch (const LaunchError& error) {
        view_.showNotice(error.what());
        return false;
    }
    pending_.push_back({commandLine, windowsBefore, clock_()});
    return true;
}

void RunController::onCompletionTick() {
    const std::vector<TopLevelWindow> walk = windows_.topLevelWindows();
    const std::int32_t running =
        WindowTitleSearch::countMatchingWindows(walk, partialTitle(), MatchContains) +
        pendingLaunches(walk);
    const std::int32_t completed = std::max(started_ - running, 0);
    view_.setStatus("Scripts Completed:  " + std::to_string(completed));
    if (running == 0) view_.setMonitorTimerOn(false);
}

}  // namespace vantrel
