// The Linux launcher: each script runs under the script runner in an iconic
// xterm of its own whose title is the command line, started detached so that
// it outlives Vantrel.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileDescriptor_linux.h"
#include "run/Launcher.h"
#include "run/ProcessStat_linux.h"

extern char** environ;

namespace vantrel {
namespace {

constexpr const char* kTerminal = "xterm";
constexpr const char* kRunner = "vantrel-script";

std::string DefaultSearchPath() {
    const std::size_t size = ::confstr(_CS_PATH, nullptr, 0);
    if (size == 0) return "/usr/bin:/bin";
    std::string path(size, '\0');
    ::confstr(_CS_PATH, path.data(), size);
    path.resize(size - 1);
    return path;
}

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

/// The first executable regular file called `name` in the folders of PATH, as
/// an absolute path (links are kept, not resolved). An empty PATH entry means
/// the current folder, as for execvp.
std::optional<std::string> FindOnSearchPath(std::string_view name) {
    const char* variable = std::getenv("PATH");
    const std::string searchPath = variable != nullptr ? variable : DefaultSearchPath();
    std::size_t begin = 0;
    while (begin <= searchPath.size()) {
        std::size_t end = searchPath.find(':', begin);
        if (end == std::string::npos) end = searchPath.size();
        std::string folder = searchPath.substr(begin, end - begin);
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + std::string(name);
        if (IsExecutableFile(candidate)) {
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(candidate, error);
            return error ? candidate : absolute.lexically_normal().string();
        }
        begin = end + 1;
    }
    return std::nullopt;
}

/// What the detached children report back: the intermediate child the
/// terminal's process once it is forked, either child a failure. Each
/// report is one write, smaller than a pipe writes at once.
struct ChildReport {
    enum Stage : int { Forked, ForkFailed, ExecFailed } stage;
    int error;
    pid_t terminal;
    std::uint64_t startMark;
};

void Report(int fd, const ChildReport& report) {
    const char* bytes = reinterpret_cast<const char*>(&report);
    std::size_t left = sizeof report;
    while (left > 0) {
        const ssize_t written = ::write(fd, bytes, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
}

[[noreturn]] void ReportAndExit(int fd, ChildReport::Stage stage, int error) {
    Report(fd, {stage, error, 0, 0});
    ::_exit(127);
}

/// Runs in the grandchild, between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecTerminal(const char* program, char* const argv[], int reportFd, int nullFd) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    ::sigemptyset(&defaultAction.sa_mask);
    for (int number = 1; number < NSIG; ++number) ::sigaction(number, &defaultAction, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (nullFd >= 0) ::dup2(nullFd, STDIN_FILENO);
#ifdef CLOSE_RANGE_CLOEXEC
    // Descriptors the program left inheritable must not leak into the terminal.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
    ::execve(program, argv, environ);
    ReportAndExit(reportFd, ChildReport::ExecFailed, errno);
}

/// Reads the children's next report; nullopt once the pipe is closed.
std::optional<ChildReport> ReadReport(int fd) {
    ChildReport report{};
    char* bytes = reinterpret_cast<char*>(&report);
    std::size_t got = 0;
    while (got < sizeof report) {
        const ssize_t count = ::read(fd, bytes + got, sizeof report - got);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        got += static_cast<std::size_t>(count);
    }
    if (got < sizeof report) return std::nullopt;
    return report;
}

/// Blocks every signal while it lives, so that no handler of the program runs
/// in a child between fork and exec.
class AllSignalsBlocked {
public:
    AllSignalsBlocked() {
        sigset_t all;
        ::sigfillset(&all);
        ::pthread_sigmask(SIG_SETMASK, &all, &previous_);
    }
    ~AllSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    AllSignalsBlocked(const AllSignalsBlocked&) = delete;
    AllSignalsBlocked& operator=(const AllSignalsBlocked&) = delete;

private:
    sigset_t previous_{};
};

/// The script runner beside the running program.
std::filesystem::path RunnerBesideProgram() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path() : program.parent_path()) / kRunner;
}

/// -1 with errno ESRCH when there is no such process, with another errno
/// where the kernel has no pidfds (before Linux 5.3).
int OpenPidfd(std::uint64_t pid) {
    if (pid == 0 || pid > static_cast<std::uint64_t>(std::numeric_limits<pid_t>::max())) {
        errno = ESRCH;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
}

class TerminalLauncher final : public Launcher {
public:
    explicit TerminalLauncher(std::filesystem::path runner) : runner_(std::move(runner)) {}

    ProcessIdentity startScript(const LaunchRequest& request) override {
        std::vector<std::string> arguments = terminalArguments(request);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);

        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw startFailure(errno);
        FileDescriptor reportRead(pipeFds[0]);
        FileDescriptor reportWrite(pipeFds[1]);
        FileDescriptor devNull(::open("/dev/null", O_RDONLY | O_CLOEXEC));

        pid_t child;
        {
            AllSignalsBlocked blocked;
            child = ::fork();
            if (child == 0) {
                // The intermediate child: setsid(), the terminal forked off
                // from it, and gone at once, so the terminal belongs to init.
                // Until it is gone the terminal cannot be reaped, so its start
                // time can be read here.
                ::setsid();
                const pid_t grandchild = ::fork();
                if (grandchild == 0) {
                    ExecTerminal(argv[0], argv.data(), reportWrite.get(), devNull.get());
                }
                if (grandchild < 0) ReportAndExit(reportWrite.get(), ChildReport::ForkFailed, errno);
                const std::optional<ProcessStat> stat = ReadProcessStat(grandchild);
                Report(reportWrite.get(),
                       {ChildReport::Forked, 0, grandchild, stat ? stat->startTime : 0});
                ::_exit(0);
            }
        }
        if (child < 0) throw startFailure(errno);
        reportWrite.reset();
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }

        std::optional<ProcessIdentity> terminal;
        while (const std::optional<ChildReport> report = ReadReport(reportRead.get())) {
            if (report->stage == ChildReport::ExecFailed) {
                throw LaunchError(std::string(kTerminal) + " (" + argv[0] +
                                  ") could not be started: " + std::strerror(report->error) + ".");
            }
            if (report->stage == ChildReport::ForkFailed) throw startFailure(report->error);
            terminal = ProcessIdentity{static_cast<std::uint64_t>(report->terminal), report->startMark};
        }
        if (!terminal) throw startFailure(ECHILD);
        return *terminal;
    }

    /// Asked at every tick: a pidfd, taken once the identity is checked, follows
    /// that very process for one poll() a time, with no /proc text to read and
    /// no later process given its id to mistake for it.
    bool isRunning(const ProcessIdentity& process) override {
        auto [watched, isNew] = watched_.try_emplace({process.id, process.startMark});
        FileDescriptor& pidfd = watched->second;
        if (isNew) {
            const int fd = OpenPidfd(process.id);
            if (fd < 0 && errno != ESRCH) {
                watched_.erase(watched);
                return IsProcessAlive(process);
            }
            pidfd = FileDescriptor(fd);
            if (pidfd.valid() && !IsProcessAlive(process)) pidfd.reset();
        }
        if (!pidfd.valid()) return false;
        pollfd ended{pidfd.get(), POLLIN, 0};
        if (::poll(&ended, 1, 0) == 0) return true;
        pidfd.reset();
        return false;
    }

private:
    /// The terminal's command line; throws LaunchError when a part is missing.
    std::vector<std::string> terminalArguments(const LaunchRequest& request) const {
        const std::string& scriptPath = request.scriptPath;
        if (scriptPath.find('\0') != std::string::npos) {
            throw LaunchError("The script path holds a NUL character and cannot be passed to " +
                              std::string(kScriptTool) + ".");
        }
        const std::optional<std::string> tool = FindOnSearchPath(kScriptTool);
        if (!tool) {
            throw LaunchError(
                std::string(kScriptTool) +
                " was not found on the search path (PATH), so the script could not be started. "
                "Put a link named " +
                kScriptTool +
                " to the database client (usually installed as ESSCMD or esscmd) into a folder "
                "on PATH, for example: ln -s /path/to/ESSCMD ~/.local/bin/" +
                kScriptTool);
        }
        const std::optional<std::string> terminal = FindOnSearchPath(kTerminal);
        if (!terminal) {
            throw LaunchError(
                std::string(kTerminal) +
                " was not found on the search path (PATH), so the script could not be started: "
                "each script runs in an xterm window. Install xterm (on Debian or Ubuntu: "
                "sudo apt install xterm).");
        }
        if (!IsExecutableFile(runner_.string())) {
            throw LaunchError("The script runner " + runner_.string() +
                              " is missing, so the script could not be started. It comes with "
                              "Vantrel and belongs beside the program: install Vantrel again.");
        }

        const std::string& commandLine = request.commandLine;
        std::vector<std::string> arguments = {*terminal,   "-iconic", "-T",
                                              commandLine, "-n",      commandLine};
        // The title must carry the command line for as long as the script runs,
        // so the script's output may not change it.
        arguments.insert(arguments.end(), {"-xrm", "*allowTitleOps: false"});
        // With more than one word after -e xterm executes them as they stand;
        // only a lone word would be handed to a shell.
        arguments.insert(arguments.end(),
                         {"-e", runner_.string(), "--outcome", request.outcomeFile.string(), "--log",
                          request.logFile.string(), "--", *tool, ScriptArgument(scriptPath)});
        return arguments;
    }

    static LaunchError startFailure(int error) {
        return LaunchError(std::string("No process could be started for the script: ") +
                           std::strerror(error) + ".");
    }

    std::filesystem::path runner_;
    /// By process; an invalid descriptor: seen ended.
    std::map<std::pair<std::uint64_t, std::uint64_t>, FileDescriptor> watched_;
};

}  // namespace

std::unique_ptr<Launcher> CreateLauncher(std::optional<std::filesystem::path> runner) {
    return std::make_unique<TerminalLauncher>(runner ? std::move(*runner) : RunnerBesideProgram());
}

std::string ScriptArgument(const std::string& scriptPath) {
    return scriptPath.starts_with('-') ? "./" + scriptPath : scriptPath;
}

}  // namespace vantrel
