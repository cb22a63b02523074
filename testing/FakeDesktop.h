#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "run/Launcher.h"
#include "run/WindowList.h"

namespace vantrel::testing {

/// A desktop whose windows a test opens and closes, and whose launcher opens
/// a script's window only when the test says the terminal has mapped it, or,
/// given a clock and a delay, once that much time has passed since the start.
class FakeDesktop : public WindowList, public Launcher {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Unmapped {
        std::string commandLine;
        TimePoint startedAt;
    };

    std::vector<TopLevelWindow> windows;
    std::vector<std::string> started;  // the script paths, in launch order
    std::vector<Unmapped> unmapped;  // started terminals whose window is not there yet
    std::function<TimePoint()> clock;
    std::chrono::milliseconds mapDelay{-1};  // negative: only mapStartedWindows() maps
    std::string launchFailure;  // when set, every launch fails with it
    WindowHandle activated = 0;
    std::vector<WindowHandle> minimized;

    void openWindow(const std::string& title, bool owned = false) {
        windows.insert(windows.begin(), {nextHandle_++, owned, title});
    }
    void closeWindowTitled(const std::string& title) {
        std::erase_if(windows, [&](const TopLevelWindow& w) { return w.title == title; });
    }
    /// The terminals started so far map their windows.
    void mapStartedWindows() {
        for (const Unmapped& terminal : unmapped) openWindow(terminal.commandLine);
        unmapped.clear();
    }

    std::vector<TopLevelWindow> topLevelWindows() override {
        if (mapDelay.count() >= 0)
            std::erase_if(unmapped, [this](const Unmapped& terminal) {
                if (clock() - terminal.startedAt < mapDelay) return false;
                openWindow(terminal.commandLine);
                return true;
            });
        return windows;
    }
    bool isMinimized(WindowHandle window) override {
        return std::find(minimized.begin(), minimized.end(), window) != minimized.end();
    }
    void restore(WindowHandle window) override { std::erase(minimized, window); }
    void bringToFront(WindowHandle window) override { activated = window; }
    ProcessIdentity startScript(const LaunchRequest& request) override {
        if (!launchFailure.empty()) throw LaunchError(launchFailure);
        started.push_back(request.scriptPath);
        unmapped.push_back({request.commandLine, clock ? clock() : TimePoint{}});
        return {};
    }

private:
    WindowHandle nextHandle_ = 1;
};

}  // namespace vantrel::testing
