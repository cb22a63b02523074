// Two real starts of Vantrel on one X display (Xvfb with openbox): the second
// brings the first one's window to the front and ends.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run/WindowList.h"
#include "testing/TempConfigHome.h"
#include "testing/XvfbServer.h"

namespace vantrel::testing {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() {
        setenv("DISPLAY", server_.display().c_str(), 1);
        windows_ = OpenDesktopWindowList();
    }
    ~SingleInstanceTest() override {
        for (const pid_t pid : started_) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    pid_t startVantrel() {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl(VANTREL_PROGRAM, VANTREL_PROGRAM, nullptr);
            ::_exit(127);
        }
        started_.push_back(pid);
        return pid;
    }
    std::vector<WindowHandle> vantrelWindows() {
        std::vector<WindowHandle> found;
        for (const TopLevelWindow& window : windows_->topLevelWindows())
            if (window.title == "Vantrel" && !window.hasOwner) found.push_back(window.handle);
        return found;
    }
    /// The exit status once the process has ended, or -1 while it runs on.
    int exitStatusOf(pid_t pid) {
        int status = 0;
        if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; })) return -1;
        std::erase(started_, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    TempConfigHome home_;
    XvfbServer server_{XvfbServer::WindowManager::Openbox};
    std::unique_ptr<WindowList> windows_;
    std::vector<pid_t> started_;
};

TEST_F(SingleInstanceTest, ASecondStartBringsTheRunningWindowForwardAndEnds) {
    startVantrel();
    ASSERT_TRUE(WaitUntil([&] { return vantrelWindows().size() == 1; }));
    const WindowHandle first = vantrelWindows().front();
    // A request sent before openbox manages the new window is lost, so it is repeated.
    XcbTestClient x(server_.display());
    ASSERT_TRUE(WaitUntil([&] {
        x.requestIconic(static_cast<xcb_window_t>(first));
        x.sync();
        return windows_->isMinimized(first);
    }));

    EXPECT_EQ(exitStatusOf(startVantrel()), 0);
    EXPECT_TRUE(WaitUntil([&] { return !windows_->isMinimized(first); }));
    EXPECT_EQ(vantrelWindows(), std::vector<WindowHandle>{first});
}

}  // namespace
}  // namespace vantrel::testing
