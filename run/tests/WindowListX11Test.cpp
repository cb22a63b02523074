// The XCB window list and the title search over it, on real X windows: a
// private Xvfb for every test, once with openbox and once with no window manager.

#include <gtest/gtest.h>

#include "run/WindowTitleSearch.h"
#include "run/WindowList.h"
#include "testing/XcbReferenceWalk.h"
#include "testing/XcbTestClient.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using testing::WaitUntil;
using WindowManager = testing::XvfbServer::WindowManager;

class RecordingNotice : public Notice {
public:
    void showNotice(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class X11WindowListTest : public ::testing::TestWithParam<WindowManager> {
protected:
    X11WindowListTest() {
        setenv("DISPLAY", server_.display().c_str(), 1);
        list_ = OpenDesktopWindowList();
    }

    bool openbox() const { return GetParam() == WindowManager::Openbox; }

    /// Maps the window and waits until it is shown: under openbox, framed with WM_STATE Normal.
    xcb_window_t show(xcb_window_t window) {
        xcb_map_window(x_.c(), window);
        EXPECT_TRUE(WaitUntil([&] {
            return x_.viewable(window) &&
                   (!openbox() || x_.wmState(window) == XCB_ICCCM_WM_STATE_NORMAL);
        }));
        return window;
    }
    xcb_window_t shown(std::string_view title) { return show(x_.window(title)); }

    /// The count, once the list has come to equal an independent walk.
    std::int32_t count(std::string_view pattern, MatchMode mode = MatchMode::Contains) {
        x_.sync();
        EXPECT_TRUE(WaitUntil(
            [&] { return list_->topLevelWindows() == testing::XcbReferenceWalk(x_).windows(); }));
        return WindowTitleSearch::countMatchingWindows(*list_, pattern, mode);
    }

    testing::XvfbServer server_{GetParam()};
    testing::XcbTestClient x_{server_.display()};
    std::unique_ptr<WindowList> list_;
};

TEST_P(X11WindowListTest, CountsTitledUnownedWindowsShownOrHidden) {
    const std::int32_t desktop = count("");  // openbox's own check window has a title
    const xcb_window_t owner = shown("the owner");
    x_.window("esscmd.exe never shown");
    shown("C:\\ESSBASE\\BIN\\ESSCMD.EXE calc.txt");
    const std::string_view legacyTitle = "esscmd.exe titled by WM_NAME alone";
    x_.set(x_.window(), "WM_NAME", "STRING", 8, legacyTitle.size(), legacyTitle.data());
    const xcb_window_t dialog = x_.window("esscmd.exe owned dialog");
    x_.set(dialog, "WM_TRANSIENT_FOR", "WINDOW", 32, 1, &owner);
    show(dialog);
    show(x_.window());  // untitled

    EXPECT_EQ(count("esscmd.exe"), 3);
    EXPECT_EQ(count("c:\\essbase\\bin\\esscmd", MatchMode::StartsWith), 1);
    EXPECT_EQ(count(""), desktop + 4);
}

// While nothing listed changes the list hands out the same snapshot, whose
// counts are kept: a title written again as it was (terminals do that) and a
// move leave it; a retitle gives a new one, counted afresh.
TEST_P(X11WindowListTest, TheSameSnapshotUntilAWindowChanges) {
    const std::string_view editor = "an editor";
    const xcb_window_t window = shown(editor);
    const std::int32_t before = count("esscmd.exe");
    const std::shared_ptr<const WindowSnapshot> quiet = list_->snapshot();
    x_.set(window, "_NET_WM_NAME", "UTF8_STRING", 8, editor.size(), editor.data());
    const std::uint32_t place[] = {40, 30};
    xcb_configure_window(x_.c(), window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    EXPECT_EQ(count("esscmd.exe"), before);
    EXPECT_EQ(list_->snapshot(), quiet);

    const std::string_view title = "esscmd.exe \"/calc/q1.txt\"";
    x_.set(window, "_NET_WM_NAME", "UTF8_STRING", 8, title.size(), title.data());
    EXPECT_EQ(count("esscmd.exe"), before + 1);
    EXPECT_NE(list_->snapshot(), quiet);
    EXPECT_EQ(quiet->countMatching("esscmd.exe", MatchMode::Contains), before);
}

TEST_P(X11WindowListTest, WalksClientWindowsFromTheTopOfTheStackingOrder) {
    const xcb_window_t lower = shown("lower");
    const xcb_window_t upper = shown("upper");
    std::vector<TopLevelWindow> walk = list_->topLevelWindows();
    const auto at = [&](xcb_window_t w) {
        return std::ranges::find(walk, WindowHandle{w}, &TopLevelWindow::handle) - walk.begin();
    };
    EXPECT_LT(at(upper), at(lower));
    EXPECT_LT(at(lower), std::ssize(walk));
    if (openbox()) {  // the walk gives the client inside the frame, never the frame
        EXPECT_NE(x_.topLevelOf(upper), upper);
        EXPECT_EQ(at(x_.topLevelOf(upper)), std::ssize(walk));
    } else {  // (openbox may keep windows of its own above it)
        EXPECT_EQ(at(upper), 0);
    }

    list_->bringToFront(lower);
    ASSERT_TRUE(WaitUntil([&] { return x_.above(lower, upper); }));
    walk = list_->topLevelWindows();
    EXPECT_LT(at(lower), at(upper));
}

TEST_P(X11WindowListTest,
       ActivationRestoresAMinimizedWindowAndBringsItToTheFrontOrSaysNoneMatches) {
    const xcb_window_t target = shown("C:\\Essbase\\bin\\ESSCMD.EXE target.txt");
    const xcb_window_t other = shown("another window");
    if (openbox()) {
        x_.requestIconic(target);
    } else {  // what a window manager would do
        xcb_unmap_window(x_.c(), target);
        const std::uint32_t iconic[] = {XCB_ICCCM_WM_STATE_ICONIC, XCB_WINDOW_NONE};
        x_.set(target, "WM_STATE", "WM_STATE", 32, 2, iconic);
    }
    ASSERT_TRUE(WaitUntil(
        [&] { return x_.wmState(target) == XCB_ICCCM_WM_STATE_ICONIC && !x_.viewable(target); }));
    ASSERT_TRUE(list_->isMinimized(target));

    RecordingNotice notice;
    WindowTitleSearch::activateMatchingWindow(*list_, notice, "esscmd.exe", MatchMode::Contains);
    EXPECT_TRUE(WaitUntil([&] {
        return x_.viewable(target) && x_.wmState(target) == XCB_ICCCM_WM_STATE_NORMAL &&
               x_.above(target, other) && x_.focus() == target;
    }));
    EXPECT_FALSE(list_->isMinimized(target));

    WindowTitleSearch::activateMatchingWindow(*list_, notice, "no such window", MatchMode::Contains);
    // Only the second activation, which matched nothing, said anything.
    EXPECT_EQ(notice.shown, std::vector<std::string>{"No matching applications found."});
}

INSTANTIATE_TEST_SUITE_P(, X11WindowListTest,
                         ::testing::Values(WindowManager::None, WindowManager::Openbox),
                         [](const ::testing::TestParamInfo<WindowManager>& info) {
                             return info.param == WindowManager::Openbox ? "WithOpenbox"
                                                                         : "WithoutWindowManager";
                         });

}  // namespace
}  // namespace vantrel
