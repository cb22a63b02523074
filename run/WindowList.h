#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

/// A native top-level window handle (an X window id, an HWND); 0 means none.
using WindowHandle = std::uintptr_t;

/// How a window title is matched against a partial title (run/WindowTitleSearch.h).
enum class MatchMode : std::int16_t;

/// What the title search needs to know of one top-level window.
struct TopLevelWindow {
    WindowHandle handle = 0;
    /// An owned pop-up (a dialog, a message box) never counts as a script window.
    bool hasOwner = false;
    /// UTF-8, as the window system gives it; empty when it has none.
    std::string title;

    bool operator==(const TopLevelWindow&) const = default;
};

/// The top-level windows as they were at one moment, and the counts asked of
/// them: each partial title and mode is matched against the titles once, so a
/// list that hands out the same snapshot while nothing changes makes a count
/// asked again cost no title comparison. Meant for one thread.
class WindowSnapshot {
public:
    explicit WindowSnapshot(std::vector<TopLevelWindow> windows) : windows_(std::move(windows)) {}

    /// Every top-level window, the top of the stacking order first.
    const std::vector<TopLevelWindow>& windows() const { return windows_; }

    /// WindowTitleSearch::countMatchingWindows over these windows.
    std::int32_t countMatching(std::string_view partialTitle, MatchMode mode) const;

private:
    struct Count {
        std::string partialTitle;
        MatchMode mode;
        std::int32_t count;
    };
    std::vector<TopLevelWindow> windows_;
    mutable std::vector<Count> counts_;
};

/// The desktop's top-level windows and what can be done to them.
class WindowList {
public:
    virtual ~WindowList() = default;
    /// Every top-level window, the top of the stacking order first.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
    /// The windows topLevelWindows() would give now. A list that follows the
    /// desktop's changes hands out the same snapshot until the windows differ,
    /// so the same pointer means the same windows; this one walks every time.
    virtual std::shared_ptr<const WindowSnapshot> snapshot() {
        return std::make_shared<const WindowSnapshot>(topLevelWindows());
    }
    virtual bool isMinimized(WindowHandle window) = 0;
    /// Shows a minimized window again.
    virtual void restore(WindowHandle window) = 0;
    /// Raises the window and gives it the focus.
    virtual void bringToFront(WindowHandle window) = 0;
};

/// Why the program cannot reach the desktop (no display to open the window
/// on, for example); nothing when it can.
std::optional<std::string> DesktopUnreachable();

/// The platform's window list for the current desktop; throws std::runtime_error
/// when there is no desktop to talk to.
std::unique_ptr<WindowList> OpenDesktopWindowList();

}  // namespace vantrel
