#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

/// A native top-level window handle (an X window id, an HWND); 0 means none.
using WindowHandle = std::uintptr_t;

/// What the title search needs to know of one top-level window.
struct TopLevelWindow {
    WindowHandle handle = 0;
    /// An owned pop-up (a dialog, a message box) never counts as a script window.
    bool hasOwner = false;
    /// UTF-8, as the window system gives it; empty when it has none.
    std::string title;
};

/// The desktop's top-level windows and what can be done to them.
class WindowList {
public:
    virtual ~WindowList() = default;
    /// Every top-level window, the top of the stacking order first.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
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
