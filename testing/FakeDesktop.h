#pragma once

#include <string>
#include <vector>

#include "run/Launcher.h"
#include "run/WindowList.h"

namespace vantrel::testing {

/// A desktop whose windows a test opens and closes, and whose launcher opens
/// a script's window only when the test says the terminal has mapped it.
class FakeDesktop : public WindowList, public Launcher {
public:
    std::vector<TopLevelWindow> windows;
    std::vector<std::string> started;  // the script paths, in launch order
    std::vector<std::string> unmapped;  // command lines whose window is not there yet
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
        for (const std::string& commandLine : unmapped) openWindow(commandLine);
        unmapped.clear();
    }

    std::vector<TopLevelWindow> topLevelWindows() override { return windows; }
    bool isMinimized(WindowHandle window) override {
        return std::find(minimized.begin(), minimized.end(), window) != minimized.end();
    }
    void restore(WindowHandle window) override { std::erase(minimized, window); }
    void bringToFront(WindowHandle window) override { activated = window; }
    void startScript(const std::string& commandLine, const std::string& scriptPath) override {
        if (!launchFailure.empty()) throw LaunchError(launchFailure);
        started.push_back(scriptPath);
        unmapped.push_back(commandLine);
    }

private:
    WindowHandle nextHandle_ = 1;
};

}  // namespace vantrel::testing
