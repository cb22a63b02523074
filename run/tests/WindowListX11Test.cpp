// The XCB window list and the title search over it, on real X windows: a
// private Xvfb for every test, once with openbox and once with no window manager.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "run/MFindPartLoop.h"
#include "run/WindowList.h"
#include "run/tests/XcbTestClient.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using testing::WaitUntil;
using testing::XcbTestClient;
using testing::XvfbServer;
using WindowManager = XvfbServer::WindowManager;

class RecordingNotice : public Notice {
public:
    void showNotice(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

/// The real list, with a record of the activation calls the search made.
class RecordingWindowList : public WindowList {
public:
    explicit RecordingWindowList(WindowList& real) : real_(real) {}
    std::vector<TopLevelWindow> topLevelWindows() override { return real_.topLevelWindows(); }
    bool isMinimized(WindowHandle window) override { return real_.isMinimized(window); }
    void restore(WindowHandle window) override {
        restored.push_back(window);
        real_.restore(window);
    }
    void bringToFront(WindowHandle window) override {
        broughtToFront.push_back(window);
        real_.bringToFront(window);
    }
    std::vector<WindowHandle> restored;
    std::vector<WindowHandle> broughtToFront;

private:
    WindowList& real_;
};

/// Sets DISPLAY for the lifetime of a test and puts the old value back.
class DisplayVariable {
public:
    explicit DisplayVariable(const char* value) {
        if (const char* old = std::getenv("DISPLAY")) old_ = old;
        if (value != nullptr)
            setenv("DISPLAY", value, 1);
        else
            unsetenv("DISPLAY");
    }
    ~DisplayVariable() {
        if (old_)
            setenv("DISPLAY", old_->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    DisplayVariable(const DisplayVariable&) = delete;
    DisplayVariable& operator=(const DisplayVariable&) = delete;

private:
    std::optional<std::string> old_;
};

const TopLevelWindow* Find(const std::vector<TopLevelWindow>& walk, xcb_window_t window) {
    for (const TopLevelWindow& entry : walk)
        if (entry.handle == window) return &entry;
    return nullptr;
}

/// Positions of the given windows in the walk, in the order given; -1 when absent.
std::vector<std::ptrdiff_t> Positions(const std::vector<TopLevelWindow>& walk,
                                      const std::vector<xcb_window_t>& windows) {
    std::vector<std::ptrdiff_t> positions;
    for (const xcb_window_t window : windows) {
        const TopLevelWindow* entry = Find(walk, window);
        positions.push_back(entry != nullptr ? entry - walk.data() : -1);
    }
    return positions;
}

class X11WindowListTest : public ::testing::TestWithParam<WindowManager> {
protected:
    void SetUp() override {
        server_.emplace(GetParam());
        display_.emplace(server_->display().c_str());
        x_.emplace(server_->display());
        list_ = OpenDesktopWindowList();
    }

    void TearDown() override {
        list_.reset();
        x_.reset();
        display_.reset();
        server_.reset();
    }

    bool withWindowManager() const { return GetParam() == WindowManager::Openbox; }
    XcbTestClient& x() { return *x_; }
    WindowList& list() { return *list_; }

    /// Until the server (and the window manager, when one runs) has shown the
    /// window: managed windows carry WM_STATE Normal and sit in a frame.
    void waitShown(xcb_window_t window) {
        x().sync();
        if (!withWindowManager()) return;
        if (!WaitUntil([&] {
                return x().wmState(window) == XCB_ICCCM_WM_STATE_NORMAL && x().viewable(window) &&
                       x().topLevelOf(window) != window;
            }))
            throw std::runtime_error("the window manager did not show the window: WM_STATE " +
                                     std::to_string(x().wmState(window)) + ", viewable " +
                                     std::to_string(x().viewable(window)) + ", framed " +
                                     std::to_string(x().topLevelOf(window) != window));
    }

    xcb_window_t shown(std::string_view title) {
        const xcb_window_t window = x().createTitled(title);
        waitShown(window);
        return window;
    }

    xcb_window_t hidden(std::string_view title) {
        const xcb_window_t window = x().createTitled(title, false);
        x().sync();
        return window;
    }

    /// Minimizes the window as a user would: through the window manager, or,
    /// with none, by doing what one would have done (unmap, WM_STATE Iconic).
    void minimize(xcb_window_t window) {
        if (withWindowManager()) {
            x().requestIconic(window);
            x().sync();
            if (!WaitUntil([&] {
                    return x().wmState(window) == XCB_ICCCM_WM_STATE_ICONIC &&
                           !x().viewable(window);
                }))
                throw std::runtime_error("the window manager did not iconify the window");
        } else {
            xcb_unmap_window(x().c(), window);
            x().setWmState(window, XCB_ICCCM_WM_STATE_ICONIC);
            x().sync();
        }
    }

    std::int32_t count(std::string_view pattern, std::int16_t mode = MatchContains) {
        return MFindPartLoop::CountMatchingWindows(list(), pattern, mode);
    }

    std::optional<XvfbServer> server_;
    std::optional<DisplayVariable> display_;
    std::optional<XcbTestClient> x_;
    std::unique_ptr<WindowList> list_;
};

TEST_P(X11WindowListTest, WalksFromTheTopOfTheStackingOrder) {
    const xcb_window_t a = shown("order a");
    const xcb_window_t b = shown("order b");
    const xcb_window_t c = shown("order c");
    // Newly shown windows go on top (of the other normal windows; openbox keeps
    // its own windows above them).
    const auto shownOrder = Positions(list().topLevelWindows(), {c, b, a});
    EXPECT_GE(shownOrder[0], 0);
    EXPECT_LT(shownOrder[0], shownOrder[1]);
    EXPECT_LT(shownOrder[1], shownOrder[2]);
    if (!withWindowManager()) {
        EXPECT_EQ(shownOrder[0], 0);
    }

    list().bringToFront(a);
    ASSERT_TRUE(WaitUntil([&] { return x().stackedAbove(a, {b, c}); }));
    const auto positions = Positions(list().topLevelWindows(), {a, c, b});
    EXPECT_LT(positions[0], positions[1]);
    EXPECT_LT(positions[1], positions[2]);
}

TEST_P(X11WindowListTest, FollowsTheServersStackingOrderWindowForWindow) {
    std::vector<xcb_window_t> ours;
    for (int i = 0; i < 6; ++i)
        ours.push_back(i % 3 == 2 ? hidden("stack " + std::to_string(i))
                                  : shown("stack " + std::to_string(i)));
    x().raise(ours[1]);  // under openbox a configure request: it restacks as it sees fit
    x().sync();
    const auto byServer = [&] {
        std::vector<xcb_window_t> order = ours;
        std::ranges::sort(order, {}, [&](xcb_window_t w) { return x().depthFromTop(w); });
        return order;
    };
    const auto byWalk = [&] {
        std::vector<xcb_window_t> order;
        for (const TopLevelWindow& entry : list().topLevelWindows())
            if (std::ranges::find(ours, entry.handle) != ours.end()) order.push_back(entry.handle);
        return order;
    };
    // The window manager may still be restacking: compare with a stacking order
    // that held from before the walk to after it.
    bool compared = false;
    for (int attempt = 0; attempt < 100 && !compared; ++attempt) {
        const std::vector<xcb_window_t> before = byServer();
        const std::vector<xcb_window_t> walked = byWalk();
        if (byServer() != before) continue;
        EXPECT_EQ(walked, before);
        compared = true;
    }
    EXPECT_TRUE(compared) << "the stacking order never held still";
}

TEST_P(X11WindowListTest, GivesTheClientWindowWithTitleAndOwner) {
    const xcb_window_t owner = shown("owner window");
    const xcb_window_t dialog = x().createWindow();
    x().setNetWmName(dialog, "a dialog");
    x().setTransientFor(dialog, owner);
    xcb_map_window(x().c(), dialog);
    waitShown(dialog);

    const auto walk = list().topLevelWindows();
    const TopLevelWindow* ownerEntry = Find(walk, owner);
    const TopLevelWindow* dialogEntry = Find(walk, dialog);
    ASSERT_NE(ownerEntry, nullptr);
    ASSERT_NE(dialogEntry, nullptr);
    EXPECT_EQ(ownerEntry->title, "owner window");
    EXPECT_FALSE(ownerEntry->hasOwner);
    EXPECT_EQ(dialogEntry->title, "a dialog");
    EXPECT_TRUE(dialogEntry->hasOwner);
    // Each client once: frames do not appear beside their clients.
    EXPECT_EQ(std::ranges::count(walk, owner, &TopLevelWindow::handle), 1);
    if (withWindowManager()) {
        EXPECT_EQ(Find(walk, x().topLevelOf(owner)), nullptr) << "the frame stands in the walk";
    }
}

TEST_P(X11WindowListTest, CountsHiddenWindows) {
    hidden("esscmd.exe never shown");
    const xcb_window_t withdrawn = shown("esscmd.exe withdrawn");
    xcb_unmap_window(x().c(), withdrawn);
    x().sync();
    ASSERT_TRUE(WaitUntil([&] { return !x().viewable(withdrawn) && x().wmState(withdrawn) != 1; }));
    shown("esscmd.exe shown");
    const xcb_window_t iconic = shown("esscmd.exe minimized");
    minimize(iconic);

    EXPECT_EQ(count("esscmd.exe"), 4);
}

TEST_P(X11WindowListTest, NeverCountsOwnedWindows) {
    const xcb_window_t owner = shown("the owner");
    const xcb_window_t shownDialog = x().createWindow();
    x().setNetWmName(shownDialog, "esscmd.exe message");
    x().setTransientFor(shownDialog, owner);
    xcb_map_window(x().c(), shownDialog);
    waitShown(shownDialog);
    const xcb_window_t hiddenDialog = x().createWindow();
    x().setWmName(hiddenDialog, "esscmd.exe hidden message");
    x().setTransientFor(hiddenDialog, owner);
    x().sync();

    EXPECT_EQ(count("esscmd.exe"), 0);
    EXPECT_EQ(MFindPartLoop::FindFirstMatchingWindow(list(), "esscmd.exe", MatchContains), 0u);
    EXPECT_EQ(count("the owner"), 1);
}

TEST_P(X11WindowListTest, EmptyPatternCountsEveryTitledUnownedWindow) {
    // The desktop's own windows (the window manager's check window) count as well.
    const std::int32_t before = count("", MatchContains);
    ASSERT_EQ(count("", MatchStartsWith), before);

    const xcb_window_t owner = shown("one");
    hidden("two");
    const xcb_window_t iconic = shown("three");
    minimize(iconic);
    const xcb_window_t wmNameOnly = x().createWindow();
    x().setWmName(wmNameOnly, "four");
    xcb_map_window(x().c(), wmNameOnly);
    waitShown(wmNameOnly);

    const xcb_window_t untitled = x().createWindow();
    xcb_map_window(x().c(), untitled);
    waitShown(untitled);
    hidden("");
    const xcb_window_t emptyLegacy = x().createWindow();
    x().setWmName(emptyLegacy, "");
    const xcb_window_t dialog = x().createTitled("owned", false);
    x().setTransientFor(dialog, owner);
    x().sync();

    EXPECT_EQ(count("", MatchContains), before + 4);
    EXPECT_EQ(count("", MatchStartsWith), before + 4);
}

TEST_P(X11WindowListTest, ReadsNetWmNameFirstAndWmNameOtherwise) {
    const xcb_window_t both = x().createTitled("\xC3\xA9t\xC3\xA9 esscmd.exe", false);
    x().setWmName(both, "legacy name");
    const xcb_window_t latin1 = x().createWindow();
    x().setWmName(latin1, "caf\xE9 esscmd.exe");
    const xcb_window_t utf8 = x().createWindow();
    x().setWmName(utf8, "na\xC3\xAFve esscmd.exe", "UTF8_STRING");
    const xcb_window_t compound = x().createWindow();
    x().setWmName(compound, "d\xE9j\xE0 \x1B%Gvu \xE2\x9C\x93\x1B%@ esscmd.exe", "COMPOUND_TEXT");
    x().sync();

    const auto walk = list().topLevelWindows();
    for (const xcb_window_t window : {both, latin1, utf8, compound})
        ASSERT_NE(Find(walk, window), nullptr);
    EXPECT_EQ(Find(walk, both)->title, "\xC3\xA9t\xC3\xA9 esscmd.exe");
    EXPECT_EQ(Find(walk, latin1)->title, "caf\xC3\xA9 esscmd.exe");
    EXPECT_EQ(Find(walk, utf8)->title, "na\xC3\xAFve esscmd.exe");
    EXPECT_EQ(Find(walk, compound)->title, "d\xC3\xA9j\xC3\xA0 vu \xE2\x9C\x93 esscmd.exe");
    EXPECT_EQ(count("\xC3\x89T\xC3\x89 ESSCMD", MatchStartsWith), 1);
    EXPECT_EQ(count("CAF\xC3\x89", MatchStartsWith), 1);
    EXPECT_EQ(count("legacy"), 0);
}

TEST_P(X11WindowListTest, OnlyTheFirst255CharactersOfATitleTakePart) {
    const std::string tail(300 - 260 - 10, 'y');
    const xcb_window_t late = shown(std::string(260, 'x') + "esscmd.exe" + tail);
    shown(std::string(240, 'z') + "esscmd.exe" + std::string(50, 'z'));

    const TopLevelWindow* entry = Find(list().topLevelWindows(), late);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->title.size(), 300u) << "the list gives the whole title";
    EXPECT_EQ(count("esscmd.exe"), 1);
    EXPECT_EQ(count(std::string(241, 'z'), MatchStartsWith), 0);
    EXPECT_EQ(count(std::string(240, 'z') + "esscmd", MatchStartsWith), 1);
}

TEST_P(X11WindowListTest, MatchesUpperCaseTitles) {
    shown("C:\\ESSBASE\\BIN\\ESSCMD.EXE");
    EXPECT_EQ(count("esscmd.exe", MatchContains), 1);
    EXPECT_EQ(count("esscmd.exe", MatchStartsWith), 0);
    EXPECT_EQ(count("c:\\essbase", MatchStartsWith), 1);
}

TEST_P(X11WindowListTest, ModeTwoMatchesNothing) {
    shown("esscmd.exe a");
    hidden("esscmd.exe b");
    EXPECT_EQ(count("esscmd.exe", 2), 0);
    EXPECT_EQ(count("", 2), 0);
    EXPECT_EQ(MFindPartLoop::FindFirstMatchingWindow(list(), "esscmd.exe", 2), 0u);
}

TEST_P(X11WindowListTest, FindsTheTopmostMatchingWindow) {
    shown("esscmd.exe lower");
    const xcb_window_t upper = shown("esscmd.exe upper");
    shown("something else on top");
    EXPECT_EQ(MFindPartLoop::FindFirstMatchingWindow(list(), "esscmd.exe", MatchContains), upper);
    EXPECT_EQ(MFindPartLoop::FindFirstMatchingWindow(list(), "nothing", MatchContains), 0u);
}

TEST_P(X11WindowListTest, PassesOverADestroyedWindow) {
    const xcb_window_t kept = shown("esscmd.exe kept");
    const xcb_window_t gone = shown("esscmd.exe gone");
    const xcb_window_t goneHidden = hidden("esscmd.exe gone hidden");
    xcb_destroy_window(x().c(), gone);
    xcb_destroy_window(x().c(), goneHidden);
    x().sync();

    const auto walk = list().topLevelWindows();
    EXPECT_NE(Find(walk, kept), nullptr);
    EXPECT_EQ(Find(walk, gone), nullptr);
    EXPECT_EQ(Find(walk, goneHidden), nullptr);
    EXPECT_EQ(count("esscmd.exe"), 1);
    EXPECT_FALSE(list().isMinimized(gone));
    EXPECT_NO_THROW(list().bringToFront(gone));
    EXPECT_NO_THROW(list().restore(gone));
}

TEST_P(X11WindowListTest, WindowsComingAndGoingDuringWalksAreNoHarm) {
    const xcb_window_t stable = shown("esscmd.exe stable");
    std::atomic<bool> stop = false;
    std::thread churn([&, display = server_->display()] {
        XcbTestClient other(display);
        for (int round = 0; !stop; ++round) {
            std::vector<xcb_window_t> windows;
            for (int i = 0; i < 12; ++i)
                windows.push_back(other.createTitled("esscmd.exe churn", (round + i) % 2 == 0));
            other.sync();
            for (const xcb_window_t window : windows) xcb_destroy_window(other.c(), window);
            other.sync();
        }
    });
    int walks = 0;
    int stableSeen = 0;
    for (; walks < 300; ++walks) {
        const auto walk = list().topLevelWindows();
        stableSeen += static_cast<int>(std::ranges::count(walk, stable, &TopLevelWindow::handle));
        for (const TopLevelWindow& entry : walk) {
            if (entry.handle == stable) {
                EXPECT_EQ(entry.title, "esscmd.exe stable");
            } else {
                EXPECT_NE(entry.title, "esscmd.exe stable") << "a title given to the wrong window";
            }
        }
    }
    stop = true;
    churn.join();
    EXPECT_EQ(stableSeen, walks) << "the window that stays is listed once in every walk";
}

TEST_P(X11WindowListTest, TellsMinimizedWindows) {
    const xcb_window_t normal = shown("normal");
    const xcb_window_t iconic = shown("iconic");
    minimize(iconic);
    const xcb_window_t netHidden = hidden("hidden by _NET_WM_STATE");
    x().setNetWmState(netHidden,
                      {x().atom("_NET_WM_STATE_ABOVE"), x().atom("_NET_WM_STATE_HIDDEN")});
    const xcb_window_t neverShown = hidden("never shown");
    x().sync();

    EXPECT_FALSE(list().isMinimized(normal));
    EXPECT_TRUE(list().isMinimized(iconic));
    EXPECT_TRUE(list().isMinimized(netHidden));
    EXPECT_FALSE(list().isMinimized(neverShown));
}

TEST_P(X11WindowListTest, ActivationRestoresAMinimizedWindowAndBringsItToTheFront) {
    const xcb_window_t target = shown("C:\\Essbase\\bin\\ESSCMD.EXE target.txt");
    const xcb_window_t other = shown("another window");
    minimize(target);
    ASSERT_TRUE(list().isMinimized(target));

    RecordingWindowList recording(list());
    RecordingNotice notice;
    MFindPartLoop::ActivateMatchingWindow(recording, notice, "esscmd.exe", MatchContains);

    EXPECT_TRUE(notice.shown.empty());
    EXPECT_EQ(recording.restored, std::vector<WindowHandle>{target});
    EXPECT_EQ(recording.broughtToFront, std::vector<WindowHandle>{target});
    EXPECT_TRUE(WaitUntil([&] {
        return x().viewable(target) && x().wmState(target) == XCB_ICCCM_WM_STATE_NORMAL &&
               x().stackedAbove(target, {other}) && x().focus() == target &&
               (!withWindowManager() || x().activeWindow() == target);
    })) << "viewable "
        << x().viewable(target) << ", WM_STATE " << x().wmState(target) << ", focus " << x().focus()
        << ", active " << x().activeWindow();
    EXPECT_FALSE(list().isMinimized(target));
}

TEST_P(X11WindowListTest, ActivationOfAShownWindowOnlyBringsItToTheFront) {
    const xcb_window_t target = shown("ESSCMD.EXE first");
    const xcb_window_t other = shown("other on top");
    ASSERT_TRUE(x().stackedAbove(other, {target}));

    RecordingWindowList recording(list());
    RecordingNotice notice;
    MFindPartLoop::ActivateMatchingWindow(recording, notice, "esscmd.exe", MatchStartsWith);

    EXPECT_TRUE(notice.shown.empty());
    EXPECT_TRUE(recording.restored.empty());
    EXPECT_EQ(recording.broughtToFront, std::vector<WindowHandle>{target});
    EXPECT_TRUE(WaitUntil([&] {
        return x().stackedAbove(target, {other}) && x().focus() == target &&
               (!withWindowManager() || x().activeWindow() == target);
    }));
}

TEST_P(X11WindowListTest, ActivationRestoresAWindowStartedIconic) {
    if (!withWindowManager()) GTEST_SKIP() << "only a window manager honours the initial state";
    const xcb_window_t window = x().createTitled("xterm esscmd.exe started iconic", false);
    x().startIconic(window);
    xcb_map_window(x().c(), window);
    x().sync();
    ASSERT_TRUE(WaitUntil([&] { return x().wmState(window) == XCB_ICCCM_WM_STATE_ICONIC; }));
    EXPECT_EQ(count("esscmd.exe"), 1);
    EXPECT_TRUE(list().isMinimized(window));

    RecordingNotice notice;
    MFindPartLoop::ActivateMatchingWindow(list(), notice, "esscmd.exe", MatchContains);
    EXPECT_TRUE(WaitUntil([&] {
        return x().viewable(window) && x().wmState(window) == XCB_ICCCM_WM_STATE_NORMAL &&
               x().focus() == window && x().activeWindow() == window;
    }));
}

TEST_P(X11WindowListTest, ActivationWithoutAMatchSaysSo) {
    shown("an editor");
    const xcb_window_t owner = shown("owner");
    const xcb_window_t dialog = x().createTitled("esscmd.exe dialog", false);
    x().setTransientFor(dialog, owner);
    x().sync();

    RecordingWindowList recording(list());
    RecordingNotice notice;
    MFindPartLoop::ActivateMatchingWindow(recording, notice, "esscmd.exe", MatchContains);
    EXPECT_EQ(notice.shown, std::vector<std::string>{"No matching applications found."});
    EXPECT_TRUE(recording.restored.empty());
    EXPECT_TRUE(recording.broughtToFront.empty());
}

INSTANTIATE_TEST_SUITE_P(, X11WindowListTest,
                         ::testing::Values(WindowManager::None, WindowManager::Openbox),
                         [](const ::testing::TestParamInfo<WindowManager>& info) {
                             return info.param == WindowManager::Openbox ? "WithOpenbox"
                                                                         : "WithoutWindowManager";
                         });

TEST(X11WindowListOpenTest, ThrowsWithoutADisplay) {
    DisplayVariable unset(nullptr);
    try {
        OpenDesktopWindowList();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot open the X display: DISPLAY is not set.");
    }
}

TEST(X11WindowListOpenTest, ThrowsWhenTheDisplayCannotBeReached) {
    DisplayVariable unreachable("/nonexistent/vantrel-test/socket:0");
    try {
        OpenDesktopWindowList();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent/vantrel-test/socket:0"),
                  std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace vantrel
