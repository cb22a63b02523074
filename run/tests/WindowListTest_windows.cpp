#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <type_traits>

#include "run/MFindPartLoop.h"
#include "run/WindowList.h"
#include "settings/UpperCase.h"
#include "settings/WideText_windows.h"

namespace vantrel {
namespace {

constexpr const wchar_t* kWindowClass = L"VantrelTestWindow";

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};

/// A real top-level window of this test, destroyed with the object.
class TestWindow {
public:
    TestWindow(const std::string& title, DWORD style, HWND owner = nullptr) {
        RegisterClassOnce();
        const std::wstring wideTitle = *WideFromUtf8(title);
        window_.reset(CreateWindowExW(0, kWindowClass, wideTitle.c_str(), style, 10, 10, 200, 100,
                                      owner, nullptr, GetModuleHandleW(nullptr), nullptr));
        if (!window_) throw std::runtime_error("cannot create a test window");
    }
    HWND hwnd() const { return window_.get(); }
    WindowHandle handle() const { return reinterpret_cast<WindowHandle>(hwnd()); }

private:
    static void RegisterClassOnce() {
        static const ATOM registered = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kWindowClass;
            return RegisterClassExW(&windowClass);
        }();
        if (registered == 0) throw std::runtime_error("cannot register the test window class");
    }
    std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer> window_;
};

class NoticeRecorder : public Notice {
public:
    void showNotice(const std::string& text) override { notices.push_back(text); }
    std::vector<std::string> notices;
};

class WindowListTest : public ::testing::Test {
protected:
    std::unique_ptr<WindowList> windows = OpenDesktopWindowList();
    // Only this test's windows carry it, whatever else the desktop shows.
    const std::string marker = "vantrel-test-" + std::to_string(GetCurrentProcessId());

    std::optional<TopLevelWindow> find(const TestWindow& window) {
        for (const TopLevelWindow& found : windows->topLevelWindows())
            if (found.handle == window.handle()) return found;
        return std::nullopt;
    }
    std::string titleOf(const TestWindow& window) {
        const std::optional<TopLevelWindow> found = find(window);
        return found ? found->title : "(not in the walk)";
    }
    std::vector<WindowHandle> walkOrderOf(const std::vector<const TestWindow*>& ours) {
        std::vector<WindowHandle> order;
        for (const TopLevelWindow& found : windows->topLevelWindows())
            for (const TestWindow* window : ours)
                if (found.handle == window->handle()) order.push_back(found.handle);
        return order;
    }
};

TEST_F(WindowListTest, WalkGivesEveryTopLevelWindowWithItsOwnerAndTitle) {
    const TestWindow shown(marker + " shown", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const TestWindow hidden(marker + " hidden", WS_OVERLAPPEDWINDOW);
    const TestWindow untitled("", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const TestWindow owned(marker + " owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, shown.hwnd());

    const auto shownFound = find(shown), hiddenFound = find(hidden);
    const auto untitledFound = find(untitled), ownedFound = find(owned);
    ASSERT_TRUE(shownFound && hiddenFound && untitledFound && ownedFound);
    EXPECT_EQ(shownFound->title, marker + " shown");
    EXPECT_FALSE(shownFound->hasOwner);
    EXPECT_EQ(hiddenFound->title, marker + " hidden");
    EXPECT_EQ(untitledFound->title, "");
    EXPECT_TRUE(ownedFound->hasOwner);
}

TEST_F(WindowListTest, CountsUnownedTitledWindowsHiddenOnesIncluded) {
    const std::string tool = "esscmd.exe " + marker;
    const TestWindow console("C:\\ESSBASE\\BIN\\ESSCMD.EXE " + marker,
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const TestWindow hidden(tool, WS_OVERLAPPEDWINDOW);
    const TestWindow owned(tool, WS_POPUP | WS_CAPTION | WS_VISIBLE, console.hwnd());
    const TestWindow other("notepad " + marker, WS_OVERLAPPEDWINDOW | WS_VISIBLE);

    EXPECT_EQ(MFindPartLoop::CountMatchingWindows(*windows, tool, MatchContains), 2);
    EXPECT_EQ(MFindPartLoop::CountMatchingWindows(*windows, tool, MatchStartsWith), 1);
    EXPECT_EQ(MFindPartLoop::FindFirstMatchingWindow(*windows, tool, MatchStartsWith),
              hidden.handle());
}

TEST_F(WindowListTest, WalkFollowsTheStackingOrderFromTheTop) {
    const TestWindow first(marker + " first", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const TestWindow second(marker + " second", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const UINT keepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(first.hwnd(), HWND_TOP, 0, 0, 0, 0, keepPlace);
    EXPECT_EQ(walkOrderOf({&first, &second}), (std::vector{first.handle(), second.handle()}));
    SetWindowPos(second.hwnd(), HWND_TOP, 0, 0, 0, 0, keepPlace);
    EXPECT_EQ(walkOrderOf({&first, &second}), (std::vector{second.handle(), first.handle()}));
}

TEST_F(WindowListTest, TitlesComeInUtf8AsFarAsTheSearchComparesThem) {
    const std::string text =
        marker + " \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    std::string longTitle = marker;
    for (int i = 0; i < 200; ++i) longTitle += " \xF0\x9F\x98\x80";  // two UTF-16 units each
    const TestWindow nonAscii(text, WS_OVERLAPPEDWINDOW);
    const TestWindow longOne(longTitle, WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(titleOf(nonAscii), text);
    EXPECT_EQ(FirstCharacters(titleOf(longOne), kTitleCharacters),
              FirstCharacters(longTitle, kTitleCharacters));
}

TEST_F(WindowListTest, ActivationRestoresAMinimizedWindowAndBringsItToTheFront) {
    const TestWindow script(marker + " esscmd.exe", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const TestWindow other(marker + " other", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ShowWindow(script.hwnd(), SW_MINIMIZE);
    SetForegroundWindow(other.hwnd());
    ASSERT_TRUE(windows->isMinimized(script.handle()));

    NoticeRecorder notice;
    MFindPartLoop::ActivateMatchingWindow(*windows, notice, marker + " ESSCMD", MatchStartsWith);
    EXPECT_FALSE(IsIconic(script.hwnd()));
    EXPECT_EQ(GetForegroundWindow(), script.hwnd());
    EXPECT_TRUE(notice.notices.empty());

    MFindPartLoop::ActivateMatchingWindow(*windows, notice, marker + " none", MatchContains);
    EXPECT_EQ(notice.notices, (std::vector<std::string>{"No matching applications found."}));
}

}  // namespace
}  // namespace vantrel
