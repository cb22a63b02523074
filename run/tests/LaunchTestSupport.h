#pragma once

// Helpers of the launch tests: temporary folders, a private X server, running
// a program to its end, reading the stand-in's log, and the top-level windows.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vantrel::testing {

/// Polls `condition` every few milliseconds until it holds or `timeout` has
/// passed; says whether it held.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

/// A fresh temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vantrel-launch-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

/// Sets an environment variable while it lives and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

/// The first executable called `name` in the folders of `searchPath`.
inline std::filesystem::path FindProgram(const std::string& name, const std::string& searchPath) {
    std::stringstream folders(searchPath);
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    throw std::runtime_error(name + " is not installed (scripts/install-deps.sh test)");
}

/// Everything a program wrote to its standard output and error, and how it ended.
struct ProgramResult {
    int exitStatus = -1;  ///< -1 unless it ended normally
    std::string output;
};

/// Runs a program with `extraEnvironment` added to this process's environment
/// and waits for its end.
inline ProgramResult RunProgram(const std::vector<std::string>& arguments,
                                const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment(extraEnvironment);
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t child = fork();
    if (child == 0) {
        dup2(devNull, 0);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(126);
    }
    close(fds[1]);
    close(devNull);
    if (child < 0) throw std::runtime_error("fork failed");
    ProgramResult result;
    char buffer[4096];
    for (ssize_t count; (count = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (count < 0) {
            if (errno == EINTR) continue;
            break;
        }
        result.output.append(buffer, static_cast<std::size_t>(count));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    return result;
}

/// A private X server on a display number it picks itself; it ends with the
/// object (and with this process, should the test crash).
class PrivateXServer {
public:
    PrivateXServer() {
        const char* path = std::getenv("PATH");
        const std::string program = FindProgram("Xvfb", path != nullptr ? path : "/usr/bin:/bin");
        std::vector<std::string> arguments = {program,       "-displayfd", "",    "-screen", "0",
                                              "1024x768x24", "-nolisten",  "tcp", "-noreset"};
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        arguments[2] = std::to_string(fds[1]);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
        const pid_t parent = getpid();
        server_ = fork();
        if (server_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);  // it reports every display number it finds taken
            fcntl(fds[1], F_SETFD, 0);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        close(devNull);
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (char byte = 0; byte != '\n';) {
            pollfd readable{fds[0], POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0 ||
                read(fds[0], &byte, 1) != 1) {
                break;
            }
            if (byte != '\n') number += byte;
        }
        close(fds[0]);
        if (number.empty()) {
            stop();
            throw std::runtime_error("Xvfb did not start");
        }
        display_ = ":" + number;
    }
    ~PrivateXServer() { stop(); }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& display() const { return display_; }

private:
    void stop() {
        if (server_ <= 0) return;
        kill(server_, SIGTERM);
        if (!WaitUntil([&] { return waitpid(server_, nullptr, WNOHANG) != 0; },
                       std::chrono::seconds(5))) {
            kill(server_, SIGKILL);
            waitpid(server_, nullptr, 0);
        }
        server_ = -1;
    }

    pid_t server_ = -1;
    std::string display_;
};

/// A top-level window as the launch tests look at it.
struct XWindow {
    xcb_window_t id = 0;
    std::string name;                  ///< WM_NAME, its bytes as they stand
    std::optional<std::uint32_t> pid;  ///< _NET_WM_PID
};

/// A connection to an X server that lists the children of the root window
/// (without a window manager these are the top-level windows themselves).
class XConnection {
public:
    explicit XConnection(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr), &xcb_disconnect) {
        if (xcb_connection_has_error(connection_.get()))
            throw std::runtime_error("cannot connect to " + display);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
        const char name[] = "_NET_WM_PID";
        Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            connection_.get(), xcb_intern_atom(connection_.get(), 0, sizeof name - 1, name),
            nullptr));
        if (!atom) throw std::runtime_error("cannot intern _NET_WM_PID");
        pidAtom_ = atom->atom;
    }

    std::vector<XWindow> topLevelWindows() {
        xcb_connection_t* c = connection_.get();
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, root_), nullptr));
        std::vector<XWindow> windows;
        if (!tree) return windows;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            XWindow window;
            window.id = children[i];
            Reply<xcb_get_property_reply_t> name(
                xcb_get_property_reply(c,
                                       xcb_get_property(c, 0, window.id, XCB_ATOM_WM_NAME,
                                                        XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20),
                                       nullptr));
            if (name) {
                window.name.assign(
                    static_cast<const char*>(xcb_get_property_value(name.get())),
                    static_cast<std::size_t>(xcb_get_property_value_length(name.get())));
            }
            Reply<xcb_get_property_reply_t> pid(xcb_get_property_reply(
                c, xcb_get_property(c, 0, window.id, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr));
            if (pid && xcb_get_property_value_length(pid.get()) == 4) {
                window.pid = *static_cast<const std::uint32_t*>(xcb_get_property_value(pid.get()));
            }
            windows.push_back(window);
        }
        return windows;
    }

    /// The windows whose name contains `part`.
    std::vector<XWindow> windowsNamed(const std::string& part) {
        std::vector<XWindow> found;
        for (const XWindow& window : topLevelWindows()) {
            if (window.name.find(part) != std::string::npos) found.push_back(window);
        }
        return found;
    }

private:
    struct FreeDeleter {
        void operator()(void* pointer) const { std::free(pointer); }
    };
    template <typename T>
    using Reply = std::unique_ptr<T, FreeDeleter>;

    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0;
};

/// One line of the stand-in's log (ESSCMD_STANDIN_LOG), arguments decoded.
struct StandInRecord {
    std::string event;  ///< "start", "command" or "end"
    long pid = 0;
    std::vector<std::string> arguments;  ///< start: the arguments; command: the line
    int count = 0;                       ///< start: the argument count; end: the exit status
};

inline std::string DecodeHex(const std::string& field) {
    if (field.empty() || field[0] != 'x') throw std::runtime_error("bad log field " + field);
    std::string bytes;
    for (std::size_t i = 1; i + 1 < field.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(field.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

inline std::vector<StandInRecord> ReadStandInLog(const std::filesystem::path& log) {
    std::vector<StandInRecord> records;
    std::istringstream lines(ReadFile(log));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        StandInRecord record;
        fields >> record.event >> record.pid;
        if (record.event == "start" || record.event == "end") fields >> record.count;
        for (std::string field; fields >> field;) record.arguments.push_back(DecodeHex(field));
        records.push_back(record);
    }
    return records;
}

inline std::optional<StandInRecord> FindRecord(const std::filesystem::path& log,
                                               const std::string& event) {
    for (const StandInRecord& record : ReadStandInLog(log)) {
        if (record.event == event) return record;
    }
    return std::nullopt;
}

/// The fields of /proc/<pid>/stat that the tests need.
struct ProcessStat {
    char state = '?';
    long parent = 0;
    long session = 0;
};

inline std::optional<ProcessStat> ReadProcessStat(long pid) {
    const std::string text = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t commandEnd = text.rfind(')');
    if (commandEnd == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(commandEnd + 1));
    ProcessStat stat;
    long group = 0;
    fields >> stat.state >> stat.parent >> group >> stat.session;
    if (!fields) return std::nullopt;
    return stat;
}

}  // namespace vantrel::testing
