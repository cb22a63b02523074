#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "run/LaunchTracker.h"
#include "run/Launcher.h"
#include "run/ScriptOutcome.h"
#include "run/WindowList.h"

namespace vantrel::testing {

/// A desktop whose windows a test opens and closes, and whose launcher starts
/// scripts that run until the test ends them. A started script's window shows
/// only when the test says its terminal has mapped it. Ending a script closes
/// its window, and its runner writes a real outcome file, as the real one does.
class FakeDesktop : public WindowList, public Launcher {
public:
    struct Script {
        LaunchRequest request;
        bool mapped = false;
        bool ended = false;
    };

    std::vector<TopLevelWindow> windows;
    std::vector<std::string> started;  // the script paths, in launch order
    std::vector<Script> scripts;       // in launch order
    std::string launchFailure;  // when set, every launch fails with it
    WindowHandle activated = 0;
    std::vector<WindowHandle> minimized;

    void openWindow(const std::string& title, bool owned = false) {
        windows.insert(windows.begin(), {nextHandle_++, owned, title});
    }
    void closeWindowTitled(const std::string& title) {
        const auto found = std::find_if(windows.begin(), windows.end(),
                                        [&](const TopLevelWindow& w) { return w.title == title; });
        if (found != windows.end()) windows.erase(found);
    }
    /// The terminals started so far map their windows.
    void mapStartedWindows() {
        for (Script& script : scripts) map(script);
    }
    /// The first running script of the path ends with the status (its runner
    /// records it), or, with no status, its runner is killed and records nothing.
    void endScript(const std::string& path, std::optional<int> exitStatus = 0, WallTime at = {}) {
        const auto found = std::find_if(scripts.begin(), scripts.end(), [&](const Script& s) {
            return !s.ended && s.request.scriptPath == path;
        });
        if (found == scripts.end()) return;
        found->ended = true;
        if (found->mapped) closeWindowTitled(found->request.commandLine);
        if (!exitStatus) return;
        std::filesystem::create_directories(found->request.outcomeFile.parent_path());
        WriteOutcomeFile(found->request.outcomeFile,
                         {ScriptOutcome::Ending::Exited, *exitStatus, at, ""});
    }
    /// The script started first of those still running ends with status 0.
    void endOldestScript() {
        for (const Script& script : scripts)
            if (!script.ended) return endScript(script.request.scriptPath);
    }
    void endEveryScript() {
        for (const Script& script : std::vector<Script>(scripts))
            if (!script.ended) endScript(script.request.scriptPath);
    }
    std::size_t runningScripts() const {
        return static_cast<std::size_t>(
            std::count_if(scripts.begin(), scripts.end(), [](const Script& s) { return !s.ended; }));
    }

    std::vector<TopLevelWindow> topLevelWindows() override { return windows; }
    bool isMinimized(WindowHandle window) override {
        return std::find(minimized.begin(), minimized.end(), window) != minimized.end();
    }
    void restore(WindowHandle window) override { std::erase(minimized, window); }
    void bringToFront(WindowHandle window) override { activated = window; }
    ProcessIdentity startScript(const LaunchRequest& request) override {
        if (!launchFailure.empty()) throw LaunchError(launchFailure);
        started.push_back(request.scriptPath);
        scripts.push_back({request});
        return {scripts.size(), 1};
    }
    bool isRunning(const ProcessIdentity& process) override {
        return process.id >= 1 && process.id <= scripts.size() && !scripts[process.id - 1].ended;
    }

private:
    void map(Script& script) {
        if (script.mapped || script.ended) return;
        script.mapped = true;
        openWindow(script.request.commandLine);
    }

    WindowHandle nextHandle_ = 1;
};

}  // namespace vantrel::testing
