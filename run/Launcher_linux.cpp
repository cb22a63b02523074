// The Linux launcher: each script runs in an iconic xterm of its own whose
// title is the command line, started detached so that it outlives Vantrel.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileDescriptor_linux.h"
#include "run/Launcher.h"

extern char** environ;

namespace vantrel {
namespace {

constexpr const char* kTerminal = "xterm";

std::string DefaultSearchPath() {
    const std::size_t size = ::confstr(_CS_PATH, nullptr, 0);
    if (size == 0) return "/usr/bin:/bin";
    std::string path(size, '\0');
    ::confstr(_CS_PATH, path.data(), size);
    path.resize(size - 1);
    return path;
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
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(candidate, error);
            return error ? candidate : absolute.lexically_normal().string();
        }
        begin = end + 1;
    }
    return std::nullopt;
}

/// A relative path that starts with "-" goes as "./-name", the same file, so
/// that the tool cannot take it for an option.
std::string ArgumentNotAnOption(const std::string& scriptPath) {
    return scriptPath.starts_with('-') ? "./" + scriptPath : scriptPath;
}

/// What the detached children report back when they fail; nothing arrives
/// when the terminal has been executed.
struct ChildFailure {
    enum Stage : int { Fork, Exec } stage;
    int error;
};

[[noreturn]] void ReportAndExit(int fd, ChildFailure::Stage stage, int error) {
    const ChildFailure failure{stage, error};
    const char* bytes = reinterpret_cast<const char*>(&failure);
    std::size_t left = sizeof failure;
    while (left > 0) {
        const ssize_t written = ::write(fd, bytes, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
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
    ReportAndExit(reportFd, ChildFailure::Exec, errno);
}

/// Reads the children's report; nullopt once the pipe is closed without one.
std::optional<ChildFailure> ReadFailure(int fd) {
    ChildFailure failure{};
    char* bytes = reinterpret_cast<char*>(&failure);
    std::size_t got = 0;
    while (got < sizeof failure) {
        const ssize_t count = ::read(fd, bytes + got, sizeof failure - got);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        got += static_cast<std::size_t>(count);
    }
    if (got < sizeof failure) return std::nullopt;
    return failure;
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

class TerminalLauncher final : public Launcher {
public:
    void startScript(const std::string& commandLine, const std::string& scriptPath) override {
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

        std::vector<std::string> arguments = {*terminal,   "-iconic", "-T",
                                              commandLine, "-n",      commandLine};
        // The title must carry the command line for as long as the script runs,
        // so the script's output may not change it.
        arguments.insert(arguments.end(), {"-xrm", "*allowTitleOps: false"});
        // With more than one word after -e xterm executes them as they stand;
        // only a lone word would be handed to a shell.
        arguments.insert(arguments.end(), {"-e", *tool, ArgumentNotAnOption(scriptPath)});
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
                ::setsid();
                const pid_t grandchild = ::fork();
                if (grandchild == 0) {
                    ExecTerminal(argv[0], argv.data(), reportWrite.get(), devNull.get());
                }
                if (grandchild < 0) ReportAndExit(reportWrite.get(), ChildFailure::Fork, errno);
                ::_exit(0);
            }
        }
        if (child < 0) throw startFailure(errno);
        reportWrite.reset();
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }

        if (const std::optional<ChildFailure> failure = ReadFailure(reportRead.get())) {
            if (failure->stage == ChildFailure::Exec) {
                throw LaunchError(std::string(kTerminal) + " (" + *terminal +
                                  ") could not be started: " + std::strerror(failure->error) + ".");
            }
            throw startFailure(failure->error);
        }
    }

private:
    static LaunchError startFailure(int error) {
        return LaunchError(std::string("No process could be started for the script: ") +
                           std::strerror(error) + ".");
    }
};

}  // namespace

std::unique_ptr<Launcher> CreateLauncher() { return std::make_unique<TerminalLauncher>(); }

}  // namespace vantrel
