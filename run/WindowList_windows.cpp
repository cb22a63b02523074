#include <windows.h>

#include "base/WideText_windows.h"
#include "run/WindowList.h"

namespace vantrel {

namespace {

// Room for the 255 characters the title search compares, even when every one of
// them is a surrogate pair; a longer title is cut after them.
constexpr int kTitleBufferUnits = 2 * 255 + 2;

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

std::string TitleOf(HWND window) {
    wchar_t title[kTitleBufferUnits];
    const int length = GetWindowTextW(window, title, kTitleBufferUnits);
    return Utf8FromWide(std::wstring_view(title, length > 0 ? length : 0));
}

/// The user32 window list, walked from the top of the z-order downwards.
class DesktopWindowList final : public WindowList {
public:
    std::vector<TopLevelWindow> topLevelWindows() override {
        std::vector<TopLevelWindow> windows;
        for (HWND window = FindWindowW(nullptr, nullptr); window != nullptr;
             window = GetWindow(window, GW_HWNDNEXT)) {
            // For a top-level window GetParent names the owner of a pop-up only
            // (a dialog, a message box): the windows the search leaves out.
            windows.push_back({reinterpret_cast<WindowHandle>(window), GetParent(window) != nullptr,
                               TitleOf(window)});
        }
        return windows;
    }

    bool isMinimized(WindowHandle window) override { return IsIconic(ToHwnd(window)); }

    void restore(WindowHandle window) override { ShowWindow(ToHwnd(window), SW_RESTORE); }

    void bringToFront(WindowHandle window) override { SetForegroundWindow(ToHwnd(window)); }
};

}  // namespace

std::optional<std::string> DesktopUnreachable() { return std::nullopt; }

std::unique_ptr<WindowList> OpenDesktopWindowList() {
    return std::make_unique<DesktopWindowList>();
}

}  // namespace vantrel
