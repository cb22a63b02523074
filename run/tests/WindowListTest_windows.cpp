#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "base/WideText_windows.h"
#include "run/WindowList.h"
#include "run/WindowTitleSearch.h"

namespace vantrel {
namespace {

using TestWindow = std::unique_ptr<HWND__, decltype(&DestroyWindow)>;

// Only this test's windows carry it, whatever else the desktop shows.
const std::string kMarker = " vantrel-test-" + std::to_string(GetCurrentProcessId());

/// A real top-level window, destroyed with the object.
TestWindow OpenWindow(const std::string& title, DWORD style, HWND owner = nullptr) {
    TestWindow window(CreateWindowExW(0, L"STATIC", WideFromUtf8(title)->c_str(), style, 10, 10,
                                      200, 100, owner, nullptr, nullptr, nullptr),
                      DestroyWindow);
    if (!window) throw std::runtime_error("cannot create a test window");
    return window;
}

TEST(WindowListTest, CountsUnownedTitledWindowsHiddenOnesIncluded) {
    const std::string title = "esscmd.exe \xC3\xA9t\xC3\xA9" + kMarker;  // été
    const TestWindow shown = OpenWindow(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const TestWindow hidden = OpenWindow(title, WS_OVERLAPPEDWINDOW);
    const TestWindow owned = OpenWindow(title, WS_POPUP | WS_CAPTION | WS_VISIBLE, shown.get());
    const TestWindow untitled = OpenWindow("", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const std::unique_ptr<WindowList> windows = OpenDesktopWindowList();
    EXPECT_EQ(WindowTitleSearch::countMatchingWindows(*windows, title, MatchMode::Contains), 2);
    const auto untitledHandle = reinterpret_cast<WindowHandle>(untitled.get());
    for (const TopLevelWindow& window : windows->topLevelWindows())
        EXPECT_FALSE(window.handle == untitledHandle && !window.title.empty()) << window.title;
}

TEST(WindowListTest, ActivationRestoresAMinimizedWindowAndBringsItToTheFront) {
    const TestWindow script = OpenWindow("esscmd.exe" + kMarker, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const TestWindow other = OpenWindow("other" + kMarker, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ShowWindow(script.get(), SW_MINIMIZE);
    SetForegroundWindow(other.get());
    ASSERT_TRUE(IsIconic(script.get()));
    struct : Notice {
        void showNotice(const std::string&) override {}
    } notice;
    WindowTitleSearch::activateMatchingWindow(*OpenDesktopWindowList(), notice, "ESSCMD.EXE" + kMarker,
                                          MatchMode::StartsWith);
    EXPECT_FALSE(IsIconic(script.get()));
    EXPECT_EQ(GetForegroundWindow(), script.get());
}

}  // namespace
}  // namespace vantrel
