// The window list kept from X events against an independent walk of the
// desktop, after every one of a few hundred random changes a desktop goes
// through, a window manager replaced, ended and started again and bursts of
// more than 10,000 events among them: once starting with openbox, once with
// no window manager.

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <functional>
#include <future>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "run/WindowTitleSearch.h"
#include "run/X11WindowTracker_linux.h"
#include "testing/XcbReferenceWalk.h"
#include "testing/XcbTestClient.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using testing::WaitUntil;
using WindowManager = testing::XvfbServer::WindowManager;

constexpr std::uint32_t kRandomStart = 20261206;
constexpr int kChanges = 300;
// Scripts' windows that no random change touches: a count never loses one.
constexpr int kScripts = 3;
constexpr std::string_view kScriptTitle = "esscmd.exe \"/scripts/calc-";
// One more than the kept list follows one by one before it walks afresh.
constexpr int kBurstEvents = 10001;
// Counts asked after every step, as a run and the Activate button ask them.
constexpr std::array<std::pair<std::string_view, MatchMode>, 3> kCounted = {{
    {"esscmd.exe", MatchMode::Contains},
    {"ESSCMD", MatchMode::StartsWith},
    {"", MatchMode::Contains},
}};

std::string Describe(const std::vector<TopLevelWindow>& windows) {
    std::ostringstream out;
    for (const TopLevelWindow& window : windows)
        out << "  0x" << std::hex << window.handle << std::dec << (window.hasOwner ? " owned" : "")
            << " \"" << window.title << "\"\n";
    return out.str();
}

class WindowTrackerChurnTest : public ::testing::TestWithParam<WindowManager> {
protected:
    WindowTrackerChurnTest() {
        for (int i = 1; i <= kScripts; ++i) {
            const xcb_window_t script =
                x_.window(std::string(kScriptTitle) + std::to_string(i) + ".txt\"");
            xcb_map_window(x_.c(), script);
        }
        x_.sync();
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

    /// One random change; says what it did. Now and then the change is to the
    /// window manager, or a burst of events.
    std::string change() {
        if (windows_.size() >= 3 && chance(5)) return changeWindowManager();
        if (windows_.size() >= 3 && chance(3)) return burst();
        std::string step = changeWindow();
        x_.sync();
        return step;
    }

    std::string changeWindow() {
        const int kind =
            windows_.size() < 3 ? 0 : std::uniform_int_distribution<int>(0, 11)(random_);
        if (kind == 0) return createWindow();
        const xcb_window_t window = pick();
        std::ostringstream step;
        step << std::hex;
        switch (kind) {
            case 1:
                xcb_destroy_window(x_.c(), window);
                std::erase(windows_, window);
                step << "destroy 0x" << window;
                break;
            case 2:
            case 3:
                xcb_map_window(x_.c(), window);
                step << "map 0x" << window;
                break;
            case 4:
                xcb_unmap_window(x_.c(), window);
                step << "unmap 0x" << window;
                break;
            case 5:
                iconify(window);
                step << "iconify 0x" << window;
                break;
            case 6: {
                const std::string title = randomTitle();
                setTitle(window, title);
                step << "retitle 0x" << window << " \"" << title << "\"";
                break;
            }
            case 7:
                xcb_delete_property(x_.c(), window, x_.atom("_NET_WM_NAME"));
                xcb_delete_property(x_.c(), window, XCB_ATOM_WM_NAME);
                step << "untitle 0x" << window;
                break;
            case 8: {
                const xcb_window_t owner = pick();
                x_.set(window, "WM_TRANSIENT_FOR", "WINDOW", 32, 1, &owner);
                step << "set WM_TRANSIENT_FOR of 0x" << window << " to 0x" << owner;
                break;
            }
            case 9: {
                const std::uint32_t mode = chance(50) ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
                xcb_configure_window(x_.c(), window, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
                step << (mode == XCB_STACK_MODE_ABOVE ? "raise 0x" : "lower 0x") << window;
                break;
            }
            case 10: {
                // As a window embeds another, and lets it go again.
                const xcb_window_t parent = chance(50) ? pick() : root();
                xcb_reparent_window(x_.c(), window, parent, 0, 0);
                step << "reparent 0x" << window << " into 0x" << parent;
                break;
            }
            default:
                xcb_delete_property(x_.c(), window, XCB_ATOM_WM_TRANSIENT_FOR);
                step << "unset WM_TRANSIENT_FOR of 0x" << window;
                break;
        }
        return step.str();
    }

    /// Now and then an untitled window holding a titled one, as a frame holds
    /// a client the manager has not yet taken on.
    std::string createWindow() {
        const bool holder = chance(20);
        const xcb_window_t window = x_.window();
        if (holder) {
            x_.window(randomTitle(), window);
        } else if (chance(80)) {
            setTitle(window, randomTitle());
        }
        windows_.push_back(window);
        std::ostringstream step;
        step << "create 0x" << std::hex << window << (holder ? " holding a titled child" : "");
        return step.str();
    }

    /// Replaces, ends or starts openbox while the kept list is asked again and
    /// again, and a fresh walk made now and then: every count among them
    /// finds each script's window once.
    std::string changeWindowManager() {
        std::string step;
        std::function<void()> action;
        if (!server_.windowManagerRuns()) {
            step = "start openbox";
            action = [this] { server_.startWindowManager(); };
        } else if (chance(50)) {
            step = "openbox --replace";
            action = [this] { server_.replaceWindowManager(); };
        } else {
            const int signal = chance(50) ? SIGTERM : SIGKILL;
            step = signal == SIGTERM ? "end openbox" : "kill openbox";
            action = [this, signal] { server_.endWindowManager(signal); };
        }
        ++managerSteps_[step];
        std::future<void> changing = std::async(std::launch::async, action);
        int counts = 0;
        do {
            const std::shared_ptr<const WindowSnapshot> kept = kept_.snapshot();
            if (const std::string broken = kept_.brokenInvariant(); !broken.empty())
                problems_ << step << ": invariant " << broken << "\n";
            expectEveryScript(step + ": the kept list", *kept);
            if (++counts % 5 == 0) {
                xcb::Desktop desktop(server_.display().c_str());
                xcb::X11WindowTracker fresh(desktop);
                expectEveryScript(step + ": a walk made then", *fresh.snapshot());
            }
        } while (changing.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready);
        changing.get();
        return step + " (" + std::to_string(counts) + " counts meanwhile)";
    }

    void expectEveryScript(const std::string& what, const WindowSnapshot& windows) {
        if (const int counted = windows.countMatching(kScriptTitle, MatchMode::Contains);
            counted != kScripts)
            problems_ << what << " counted " << counted << " scripts' windows\n"
                      << Describe(windows.windows());
    }

    /// More events than the kept list follows one by one, with a few changes
    /// hidden among them, all waiting at once for the list to read.
    std::string burst() {
        const xcb_atom_t noise = x_.atom("VANTREL_TEST_NOISE");
        const int rebuildsBefore = kept_.rebuilds();
        std::ostringstream step;
        step << kBurstEvents << " events, among them:";
        for (int i = 0; i < kBurstEvents; ++i)
            xcb_change_property(x_.c(), XCB_PROP_MODE_REPLACE, root(), noise, XCB_ATOM_CARDINAL, 32,
                                1, &i);
        for (int i = 0; i < 3; ++i) step << " " << changeWindow() << ";";
        x_.sync();
        // A round trip of the list's own: every event sent before it is queued.
        xcb::XcbPointer<xcb_get_input_focus_reply_t>(xcb_get_input_focus_reply(
            keptDesktop_.c(), xcb_get_input_focus(keptDesktop_.c()), nullptr));
        kept_.windows();
        if (kept_.rebuilds() == rebuildsBefore)
            problems_ << "the burst was followed event by event\n";
        ++bursts_;
        return step.str();
    }

    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(x_.c())).data->root; }

    void iconify(xcb_window_t window) {
        if (server_.windowManagerRuns()) {
            x_.requestIconic(window);
            return;
        }
        // What a window manager would do.
        xcb_unmap_window(x_.c(), window);
        const std::uint32_t iconic[] = {XCB_ICCCM_WM_STATE_ICONIC, XCB_WINDOW_NONE};
        x_.set(window, "WM_STATE", "WM_STATE", 32, 2, iconic);
    }

    /// The check made after every step: the tracker's invariants hold, the
    /// kept list comes to equal an independent walk (a window manager answers
    /// in its own time; what the kept list misses stays missed), and its
    /// snapshot, handed out again over the steps that change nothing listed,
    /// counts what the walk counts.
    std::string disagreement() {
        std::vector<TopLevelWindow> walk;
        std::shared_ptr<const WindowSnapshot> kept;
        std::string broken;
        const bool agreed = WaitUntil(
            [&] {
                walk = testing::XcbReferenceWalk(x_).windows();
                kept = kept_.snapshot();
                broken = kept_.brokenInvariant();
                return kept->windows() == walk || !broken.empty();
            },
            std::chrono::seconds(10));
        if (!broken.empty()) return "invariant " + broken + "\n";
        if (!agreed)
            return "the kept list\n" + Describe(kept->windows()) +
                   "differs from an independent walk\n" + Describe(walk);
        for (const auto& [pattern, mode] : kCounted)
            if (const std::int32_t counted = kept->countMatching(pattern, mode),
                walked = WindowTitleSearch::countMatchingWindows(walk, pattern, mode);
                counted != walked)
                return "the kept list counts " + std::to_string(counted) + " windows for \"" +
                       std::string(pattern) + "\", the walk " + std::to_string(walked) + "\n";
        return problems_.str();
    }

    testing::XvfbServer server_{GetParam()};
    testing::XcbTestClient x_{server_.display()};
    xcb::Desktop keptDesktop_{server_.display().c_str()};
    xcb::X11WindowTracker kept_{keptDesktop_};
    std::mt19937 random_{kRandomStart};
    std::vector<xcb_window_t> windows_;
    std::ostringstream problems_;
    std::map<std::string, int> managerSteps_;
    int bursts_ = 0;
};

TEST_P(WindowTrackerChurnTest, TheKeptListEqualsAnIndependentWalkAfterEveryChange) {
    kept_.windows();
    std::vector<std::string> steps;
    for (int i = 0; i < kChanges; ++i) {
        steps.push_back(change());
        if (const std::string problem = disagreement(); !problem.empty()) {
            std::ostringstream history;
            for (std::size_t s = 0; s < steps.size(); ++s)
                history << s + 1 << ". " << steps[s] << "\n";
            FAIL() << "random start " << kRandomStart << ": after change " << steps.size() << " "
                   << problem << "changes:\n"
                   << history.str();
        }
    }
    // Following the events, not walking afresh each time, is what is tested
    // here: a walk is owed to the start and to each burst, two to each manager change.
    int managerChanges = 0;
    for (const auto& [step, times] : managerSteps_) {
        std::cout << step << ": " << times << " times\n";
        managerChanges += times;
    }
    std::cout << kept_.rebuilds() << " full walks, " << bursts_ << " bursts, "
              << kept_.windows().size() << " windows listed at the end\n";
    EXPECT_EQ(managerSteps_.size(), 4u)
        << "every kind of manager change, random start " << kRandomStart;
    EXPECT_GE(bursts_, 2) << "random start " << kRandomStart;
    EXPECT_LE(kept_.rebuilds(), 1 + bursts_ + 2 * managerChanges + kChanges / 30)
        << "random start " << kRandomStart;
}

INSTANTIATE_TEST_SUITE_P(, WindowTrackerChurnTest,
                         ::testing::Values(WindowManager::None, WindowManager::Openbox),
                         [](const ::testing::TestParamInfo<WindowManager>& info) {
                             return info.param == WindowManager::Openbox
                                        ? "StartingWithOpenbox"
                                        : "StartingWithoutWindowManager";
                         });

}  // namespace
}  // namespace vantrel
