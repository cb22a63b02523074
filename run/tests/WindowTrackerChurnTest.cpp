// The window list kept from X events against a fresh walk of the desktop,
// after every one of a few hundred random changes a desktop goes through:
// once with openbox framing the windows, once with no window manager.

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <sstream>

#include "run/X11WindowTracker_linux.h"
#include "testing/XcbTestClient.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using testing::WaitUntil;
using WindowManager = testing::XvfbServer::WindowManager;

constexpr std::uint32_t kRandomStart = 20261206;
constexpr int kChanges = 300;

std::string Describe(const std::vector<TopLevelWindow>& windows) {
    std::ostringstream out;
    for (const TopLevelWindow& window : windows)
        out << "  0x" << std::hex << window.handle << std::dec << (window.hasOwner ? " owned" : "")
            << " \"" << window.title << "\"\n";
    return out.str();
}

bool Same(const std::vector<TopLevelWindow>& a, const std::vector<TopLevelWindow>& b) {
    return std::ranges::equal(a, b, [](const TopLevelWindow& x, const TopLevelWindow& y) {
        return x.handle == y.handle && x.hasOwner == y.hasOwner && x.title == y.title;
    });
}

class WindowTrackerChurnTest : public ::testing::TestWithParam<WindowManager> {
protected:
    bool openbox() const { return GetParam() == WindowManager::Openbox; }

    std::vector<TopLevelWindow> freshWalk() {
        xcb::Desktop desktop(server_.display().c_str());
        xcb::X11WindowTracker fresh(desktop);
        return fresh.windows();
    }

    xcb_window_t pick() {
        return windows_[std::uniform_int_distribution<std::size_t>(0,
                                                                   windows_.size() - 1)(random_)];
    }
    bool chance(int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random_) < percent;
    }

    std::string randomTitle() {
        static const std::array<std::string_view, 5> kTitles = {
            "C:\\Essbase\\bin\\esscmd.exe calc.txt", "ESSCMD.EXE \"/q/load.txt\"", "an editor",
            "esscmd", "Ünïcødé esscmd.exe ✓"};
        return std::string(kTitles[std::uniform_int_distribution<std::size_t>(0, 4)(random_)]);
    }

    void setTitle(xcb_window_t window, const std::string& title) {
        if (chance(70))
            x_.set(window, "_NET_WM_NAME", "UTF8_STRING", 8, title.size(), title.data());
        else
            x_.set(window, "WM_NAME", "STRING", 8, title.size(), title.data());
    }

    /// One random change; says what it did.
    std::string change() {
        const int kind =
            windows_.size() < 3 ? 0 : std::uniform_int_distribution<int>(0, 11)(random_);
        std::ostringstream step;
        switch (kind) {
            case 0: {
                // Now and then an untitled window holding a titled one, as a
                // frame holds a client the manager has not yet taken on.
                const bool holder = chance(20);
                const xcb_window_t window = x_.window();
                if (holder) {
                    x_.window(randomTitle(), window);
                } else if (chance(80)) {
                    setTitle(window, randomTitle());
                }
                windows_.push_back(window);
                step << "create 0x" << std::hex << window
                     << (holder ? " holding a titled child" : "");
                break;
            }
            case 1: {
                const xcb_window_t window = pick();
                xcb_destroy_window(x_.c(), window);
                std::erase(windows_, window);
                step << "destroy 0x" << std::hex << window;
                break;
            }
            case 2:
            case 3: {
                const xcb_window_t window = pick();
                xcb_map_window(x_.c(), window);
                step << "map 0x" << std::hex << window;
                break;
            }
            case 4: {
                const xcb_window_t window = pick();
                xcb_unmap_window(x_.c(), window);
                step << "unmap 0x" << std::hex << window;
                break;
            }
            case 5: {
                const xcb_window_t window = pick();
                iconify(window);
                step << "iconify 0x" << std::hex << window;
                break;
            }
            case 6: {
                const xcb_window_t window = pick();
                const std::string title = randomTitle();
                setTitle(window, title);
                step << "retitle 0x" << std::hex << window << " \"" << title << "\"";
                break;
            }
            case 7: {
                const xcb_window_t window = pick();
                xcb_delete_property(x_.c(), window, x_.atom("_NET_WM_NAME"));
                xcb_delete_property(x_.c(), window, XCB_ATOM_WM_NAME);
                step << "untitle 0x" << std::hex << window;
                break;
            }
            case 8: {
                const xcb_window_t window = pick();
                const xcb_window_t owner = pick();
                x_.set(window, "WM_TRANSIENT_FOR", "WINDOW", 32, 1, &owner);
                step << "set WM_TRANSIENT_FOR of 0x" << std::hex << window << " to 0x" << owner;
                break;
            }
            case 9: {
                const xcb_window_t window = pick();
                const std::uint32_t mode = chance(50) ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
                xcb_configure_window(x_.c(), window, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
                step << (mode == XCB_STACK_MODE_ABOVE ? "raise 0x" : "lower 0x") << std::hex
                     << window;
                break;
            }
            case 10: {
                // As a window embeds another, and lets it go again.
                const xcb_window_t window = pick();
                const xcb_window_t parent = chance(50) ? pick() : root();
                xcb_reparent_window(x_.c(), window, parent, 0, 0);
                step << "reparent 0x" << std::hex << window << " into 0x" << parent;
                break;
            }
            default: {
                const xcb_window_t window = pick();
                xcb_delete_property(x_.c(), window, XCB_ATOM_WM_TRANSIENT_FOR);
                step << "unset WM_TRANSIENT_FOR of 0x" << std::hex << window;
                break;
            }
        }
        x_.sync();
        return step.str();
    }

    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(x_.c())).data->root; }

    void iconify(xcb_window_t window) {
        if (openbox()) {
            x_.requestIconic(window);
            return;
        }
        // What a window manager would do.
        xcb_unmap_window(x_.c(), window);
        const std::uint32_t iconic[] = {XCB_ICCCM_WM_STATE_ICONIC, XCB_WINDOW_NONE};
        x_.set(window, "WM_STATE", "WM_STATE", 32, 2, iconic);
    }

    testing::XvfbServer server_{GetParam()};
    testing::XcbTestClient x_{server_.display()};
    xcb::Desktop keptDesktop_{server_.display().c_str()};
    xcb::X11WindowTracker kept_{keptDesktop_};
    std::mt19937 random_{kRandomStart};
    std::vector<xcb_window_t> windows_;
};

TEST_P(WindowTrackerChurnTest, TheKeptListEqualsAFreshWalkAfterEveryChange) {
    kept_.windows();
    std::vector<std::string> steps;
    for (int i = 0; i < kChanges; ++i) {
        steps.push_back(change());
        // A window manager answers in its own time; what the kept list misses stays missed.
        std::vector<TopLevelWindow> fresh;
        const bool agreed = WaitUntil(
            [&] {
                fresh = freshWalk();
                return Same(kept_.windows(), fresh);
            },
            std::chrono::seconds(5));
        if (!agreed) {
            std::ostringstream history;
            for (std::size_t s = 0; s < steps.size(); ++s)
                history << s + 1 << ". " << steps[s] << "\n";
            FAIL() << "random start " << kRandomStart << ": after change " << steps.size()
                   << " the kept list\n"
                   << Describe(kept_.windows()) << "differs from a fresh walk\n"
                   << Describe(fresh) << "changes:\n"
                   << history.str();
        }
    }
    // Following the events, not walking afresh each time, is what is tested here.
    std::cout << kept_.rebuilds() << " full walks, " << kept_.windows().size()
              << " windows listed at the end\n";
    EXPECT_LT(kept_.rebuilds(), kChanges / 10) << "random start " << kRandomStart;
}

INSTANTIATE_TEST_SUITE_P(, WindowTrackerChurnTest,
                         ::testing::Values(WindowManager::None, WindowManager::Openbox),
                         [](const ::testing::TestParamInfo<WindowManager>& info) {
                             return info.param == WindowManager::Openbox ? "WithOpenbox"
                                                                         : "WithoutWindowManager";
                         });

}  // namespace
}  // namespace vantrel
