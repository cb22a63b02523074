#pragma once

// A private X server (Xvfb on a display number it picks itself), optionally
// with openbox on it, which a test may replace, end and start again; both are
// ended with the object, or killed should the test process die first.
// Nothing here looks at the outer $DISPLAY.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/FileDescriptor_linux.h"
#include "testing/XcbTestClient.h"

namespace vantrel::testing {

/// Polls `condition` until it holds or the bound (a guard against hanging,
/// no expectation of speed) has passed; says whether it held.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds bound = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

class XvfbServer {
public:
    enum class WindowManager { None, Openbox };

    explicit XvfbServer(WindowManager windowManager = WindowManager::None) {
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
        const FileDescriptor reading(fds[0]);
        FileDescriptor writing(fds[1]);
        xvfb_.pid = Spawn({"Xvfb", "-displayfd", std::to_string(writing.get()), "-nolisten", "tcp",
                           "-screen", "0", "1280x1024x24"});
        writing.reset();
        // Xvfb writes "N\n" once it accepts connections; the pipe ends empty if it fails.
        std::string number;
        for (char byte; read(reading.get(), &byte, 1) == 1 && byte != '\n';) number += byte;
        if (number.empty()) throw std::runtime_error("Xvfb did not start (is it installed?)");
        display_ = ":" + number;
        if (windowManager == WindowManager::Openbox) startWindowManager();
    }

    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// ":N", for xcb_connect or DISPLAY.
    const std::string& display() const { return display_; }

    /// The X server's process, for a benchmark reading its CPU time.
    pid_t serverProcess() const { return xvfb_.pid; }

    bool windowManagerRuns() const { return openbox_.pid > 0; }

    /// Starts openbox and waits until it manages windows.
    void startWindowManager() {
        openbox_.pid = Spawn(OpenboxCommand(display_, {}));
        waitForOpenbox();
    }

    /// A new openbox takes over from the running one (`openbox --replace`),
    /// which ends on its own; waits until the new one manages windows.
    void replaceWindowManager() {
        Process old;
        std::swap(old.pid, openbox_.pid);
        openbox_.pid = Spawn(OpenboxCommand(display_, "--replace"));
        old.reap();
        waitForOpenbox();
    }

    /// Ends openbox with the signal: SIGTERM lets it hand its windows back,
    /// SIGKILL leaves that to the server.
    void endWindowManager(int signal) { openbox_.end(signal); }

private:
    struct Process {
        pid_t pid = -1;
        void end(int signal) {
            if (pid > 0 && kill(pid, signal) == 0) waitpid(pid, nullptr, 0);
            pid = -1;
        }
        /// Waits for the process to end on its own, and ends it when it does not.
        void reap() {
            if (pid > 0 && !WaitUntil([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }))
                end(SIGKILL);
            pid = -1;
        }
        ~Process() { end(SIGTERM); }
    };

    static std::vector<std::string> OpenboxCommand(const std::string& display,
                                                   const std::string& option) {
        // No user's rc.xml: openbox's defaults apply.
        std::vector<std::string> command = {
            "env", "DISPLAY=" + display, "XDG_CONFIG_HOME=/nonexistent", "openbox", "--sm-disable"};
        if (!option.empty()) command.push_back(option);
        return command;
    }

    static pid_t Spawn(std::vector<std::string> arguments) {
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        const pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            const int devNull = open("/dev/null", O_RDWR);
            for (int fd = 0; fd < 3; ++fd) dup2(devNull, fd);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        if (child < 0) throw std::runtime_error("fork failed");
        return child;
    }

    /// openbox sets _NET_SUPPORTING_WM_CHECK before it handles map requests (one
    /// sent then is lost), so a probe is mapped again and again until openbox
    /// manages it; then it goes, and the tests find the desktop without it.
    void waitForOpenbox() {
        XcbTestClient x(display_);
        const xcb_window_t probe = x.window();
        if (!WaitUntil([&] {
                xcb_map_window(x.c(), probe);
                return x.wmState(probe) == XCB_ICCCM_WM_STATE_NORMAL;
            }))
            throw std::runtime_error("openbox did not start (is it installed?)");
        const xcb_window_t frame = x.topLevelOf(probe);
        xcb_destroy_window(x.c(), probe);
        WaitUntil([&] { return x.topLevelOf(frame) == XCB_WINDOW_NONE; });
    }

    Process xvfb_;
    Process openbox_;  // ends before the server
    std::string display_;
};

}  // namespace vantrel::testing
