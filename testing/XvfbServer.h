#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace vantrel::testing {

/// A private X server (Xvfb) on a display number it picks itself, optionally
/// with the openbox window manager running on it; both end with the object.
/// Nothing here looks at the outer $DISPLAY.
class XvfbServer {
public:
    enum class WindowManager { None, Openbox };

    explicit XvfbServer(WindowManager windowManager = WindowManager::None) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vantrel-xvfb-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        try {
            startXvfb();
            if (windowManager == WindowManager::Openbox) startOpenbox();
        } catch (...) {
            stop();
            throw;
        }
    }

    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// ":N", for xcb_connect or DISPLAY.
    const std::string& display() const { return display_; }

private:
    static constexpr auto kStartTimeout = std::chrono::seconds(20);

    static std::string FindProgram(const std::string& name) {
        const char* path = std::getenv("PATH");
        std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
        for (std::string folder; std::getline(folders, folder, ':');) {
            const std::filesystem::path candidate = std::filesystem::path(folder) / name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
        }
        throw std::runtime_error(name + " is not installed (scripts/install-deps.sh test)");
    }

    /// Starts a program whose output goes to `log`; it is killed should this
    /// process die first, so no server outlives a crashed test.
    static pid_t Spawn(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& extraEnvironment,
                       const std::filesystem::path& log, int keepOpenFd = -1) {
        const std::string program = FindProgram(arguments.front());
        std::vector<std::string> environment(extraEnvironment);
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view variable(*entry);
            const bool overridden =
                std::ranges::any_of(extraEnvironment, [&](const std::string& e) {
                    return variable.substr(0, variable.find('=')) == e.substr(0, e.find('='));
                });
            if (!overridden) environment.emplace_back(variable);
        }
        // Everything the child needs is built before fork(): only async-signal-safe calls after.
        std::vector<char*> argv, envp;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        for (const std::string& entry : environment)
            envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);
        const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
        const pid_t parent = getpid();
        const pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            dup2(devNull, 0);
            dup2(logFd, 1);
            dup2(logFd, 2);
            if (keepOpenFd >= 0) fcntl(keepOpenFd, F_SETFD, 0);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        close(logFd);
        close(devNull);
        if (child < 0)
            throw std::runtime_error("fork failed: " + std::string(std::strerror(errno)));
        return child;
    }

    std::string logText(const char* name) const {
        std::ifstream in(folder_ / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void startXvfb() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                       "-nolisten", "tcp", "-noreset"},
                      {}, folder_ / "xvfb.log", fds[1]);
        close(fds[1]);
        // Xvfb writes the display number once it accepts connections.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        for (char byte = 0; byte != '\n';) {
            pollfd readable{fds[0], POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0 ||
                read(fds[0], &byte, 1) != 1)
                break;
            if (byte != '\n') number += byte;
        }
        close(fds[0]);
        if (number.empty()) throw std::runtime_error("Xvfb did not start:\n" + logText("xvfb.log"));
        display_ = ":" + number;
    }

    void startOpenbox() {
        const std::filesystem::path config = folder_ / "config";
        const std::filesystem::path cache = folder_ / "cache";
        std::filesystem::create_directories(config);
        std::filesystem::create_directories(cache);
        // A private configuration home keeps the user's rc.xml out: the defaults apply.
        openbox_ = Spawn({"openbox", "--sm-disable"},
                         {"DISPLAY=" + display_, "XDG_CONFIG_HOME=" + config.string(),
                          "XDG_CACHE_HOME=" + cache.string()},
                         folder_ / "openbox.log");
        waitForWindowManager();
    }

    /// Until openbox manages windows. Its EWMH check window appears early in
    /// its start-up, before it handles map requests (one sent then is lost), so
    /// a probe window is mapped, again now and then, until it has WM_STATE.
    void waitForWindowManager() {
        const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
            xcb_connect(display_.c_str(), nullptr), &xcb_disconnect);
        if (xcb_connection_has_error(connection.get()))
            throw std::runtime_error("cannot connect to " + display_);
        xcb_connection_t* c = connection.get();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const char name[] = "WM_STATE";
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> wmState(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr),
            &std::free);
        if (!wmState) throw std::runtime_error("cannot intern atoms on " + display_);
        const xcb_window_t probe = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const auto managed = [&] {
            const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
                xcb_get_property_reply(
                    c, xcb_get_property(c, 0, probe, wmState->atom, wmState->atom, 0, 2), nullptr),
                &std::free);
            return reply && xcb_get_property_value_length(reply.get()) > 0;
        };
        const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        auto nextMap = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < deadline) {
            if (std::chrono::steady_clock::now() >= nextMap) {
                xcb_map_window(c, probe);
                nextMap += std::chrono::milliseconds(100);
            }
            if (managed()) {
                const xcb_window_t frame = parentOf(c, probe);
                xcb_destroy_window(c, probe);
                // The tests find the desktop as it was: no frame of the probe left behind.
                while (std::chrono::steady_clock::now() < deadline) {
                    if (frame == root || parentOf(c, frame) == XCB_WINDOW_NONE) return;
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                break;
            }
            if (waitpid(openbox_, nullptr, WNOHANG) == openbox_) {
                openbox_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        throw std::runtime_error("openbox did not start on " + display_ + ":\n" +
                                 logText("openbox.log"));
    }

    static xcb_window_t parentOf(xcb_connection_t* c, xcb_window_t window) {
        const std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> reply(
            xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &std::free);
        return reply ? reply->parent : xcb_window_t{XCB_WINDOW_NONE};
    }

    static void End(pid_t& process) {
        if (process <= 0) return;
        kill(process, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waitpid(process, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(process, SIGKILL);
                waitpid(process, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        process = -1;
    }

    void stop() {
        End(openbox_);
        End(xvfb_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::filesystem::path folder_;
    std::string display_;
    pid_t xvfb_ = -1;
    pid_t openbox_ = -1;
};

}  // namespace vantrel::testing
