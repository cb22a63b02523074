// The script runner on Linux: runs the script's program as its child in the
// terminal it was started in, copies the program's output to the terminal
// and to the log, and records how the program ended.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "base/FileDescriptor_linux.h"
#include "run/runner/ScriptRunner.h"

namespace vantrel {
namespace {

using SteadyClock = std::chrono::steady_clock;

/// After these the program is ended, and the outcome says so; a hang-up is
/// what the runner gets when its terminal goes.
constexpr int kEndingSignals[] = {SIGHUP, SIGTERM};
/// These the terminal sends to the program as well, which decides itself.
constexpr int kKeySignals[] = {SIGINT, SIGQUIT};
/// A program still running this long after its end was asked for is killed,
/// as Windows does with a console that is closed.
constexpr std::chrono::seconds kGrace{5};

class DescriptorSink final : public OutputSink {
public:
    explicit DescriptorSink(int fd) : fd_(fd) {}
    std::optional<std::string> write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) return std::strerror(errno);
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return std::nullopt;
    }

private:
    int fd_;
};

/// Terminals take their window's title from this sequence, unless told to
/// keep their own.
void SetTerminalTitle(const std::string& title) {
    if (!::isatty(STDOUT_FILENO)) return;
    std::string sequence = "\x1b]0;";
    for (const char c : title) sequence += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    DescriptorSink(STDOUT_FILENO).write(sequence + "\x07");
}

/// The log, created new; -1 and the reason when it cannot be.
int OpenLog(const std::filesystem::path& file, std::string& reason) {
    // Not blocking: a FIFO in the log's place must not hold the script back.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                          0666);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        reason = "it is not a regular file";
        return -1;
    }
    ::fcntl(fd, F_SETFL, 0);
    return fd;
}

sigset_t SignalsOfInterest() {
    sigset_t signals;
    ::sigemptyset(&signals);
    ::sigaddset(&signals, SIGCHLD);
    for (const int number : kEndingSignals) ::sigaddset(&signals, number);
    for (const int number : kKeySignals) ::sigaddset(&signals, number);
    return signals;
}

/// Runs in the child: its output into the pipe, the terminal as its input,
/// the signals as the runner found them.
[[noreturn]] void ExecProgram(const RunnerRequest& request, int outputFd, const sigset_t& originalMask) {
    ::signal(SIGPIPE, SIG_DFL);
    ::sigprocmask(SIG_SETMASK, &originalMask, nullptr);
    ::dup2(outputFd, STDOUT_FILENO);
    ::dup2(outputFd, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : request.program) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    const std::string failure = "vantrel-script: " + request.program.front() +
                                " cannot be started: " + std::strerror(errno) + "\n";
    DescriptorSink(STDERR_FILENO).write(failure);
    ::_exit(127);
}

/// The child from its start to its end, with every byte it wrote copied.
class ChildRun {
public:
    ChildRun(const RunnerRequest& request, OutputCopy& copy) : copy_(copy) {
        const sigset_t signals = SignalsOfInterest();
        sigset_t originalMask;
        ::sigprocmask(SIG_BLOCK, &signals, &originalMask);
        // An ignored signal would never reach the signal descriptor.
        for (const int number : kEndingSignals) ::signal(number, SIG_DFL);
        for (const int number : kKeySignals) ::signal(number, SIG_DFL);
        signals_ = FileDescriptorFrom(::signalfd(-1, &signals, SFD_CLOEXEC));
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error(std::strerror(errno));
        output_ = FileDescriptorFrom(pipeFds[0]);
        const FileDescriptor outputWrite(pipeFds[1]);
        child_ = ::fork();
        if (child_ == 0) ExecProgram(request, outputWrite.get(), originalMask);
        if (child_ < 0) throw std::runtime_error(std::strerror(errno));
        // The window may go while the program still writes.
        ::signal(SIGPIPE, SIG_IGN);
    }

    /// Copies until the child has ended, and says how it ended.
    ScriptOutcome waitForEnd() {
        while (!waitStatus_) step();
        drainOutput();
        ScriptOutcome outcome;
        outcome.endedAt = std::chrono::system_clock::now();
        if (endingSignal_ != 0) {
            outcome.ending = ScriptOutcome::Ending::Signalled;
            outcome.code = endingSignal_;
        } else if (WIFSIGNALED(*waitStatus_)) {
            outcome.ending = ScriptOutcome::Ending::Signalled;
            outcome.code = WTERMSIG(*waitStatus_);
        } else {
            outcome.code = WEXITSTATUS(*waitStatus_);
        }
        return outcome;
    }

private:
    static std::unique_ptr<FileDescriptor> FileDescriptorFrom(int fd) {
        if (fd < 0) throw std::runtime_error(std::strerror(errno));
        return std::make_unique<FileDescriptor>(fd);
    }

    void step() {
        pollfd fds[] = {{signals_->get(), POLLIN, 0}, {output_->get(), POLLIN, 0}};
        const int ready = ::poll(fds, outputOpen_ ? 2 : 1, pollTimeout());
        if (ready < 0 && errno != EINTR) throw std::runtime_error(std::strerror(errno));
        if (ready == 0 && killAt_) {
            ::kill(child_, SIGKILL);
            killAt_.reset();
        }
        if (ready <= 0) return;
        if (outputOpen_ && fds[1].revents != 0) outputOpen_ = copyOutput() != Read::Closed;
        if (fds[0].revents != 0) handleSignal();
    }

    int pollTimeout() const {
        if (!killAt_) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*killAt_ - SteadyClock::now());
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    }

    enum class Read { Copied, NothingYet, Closed };

    /// Copies what the pipe holds.
    Read copyOutput() {
        const ssize_t count = ::read(output_->get(), buffer_, sizeof buffer_);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) return Read::NothingYet;
        if (count <= 0) return Read::Closed;
        copy_.copy({buffer_, static_cast<std::size_t>(count)});
        return Read::Copied;
    }

    /// What the program wrote before it ended is in the pipe; a process of
    /// its own that still holds the pipe open is not waited for.
    void drainOutput() {
        if (!outputOpen_) return;
        ::fcntl(output_->get(), F_SETFL, O_NONBLOCK);
        while (copyOutput() == Read::Copied) {
        }
    }

    void handleSignal() {
        signalfd_siginfo info{};
        if (::read(signals_->get(), &info, sizeof info) != sizeof info) return;
        const int number = static_cast<int>(info.ssi_signo);
        if (number == SIGCHLD) {
            int status = 0;
            if (::waitpid(child_, &status, WNOHANG) == child_) waitStatus_ = status;
            return;
        }
        const bool ending = number == SIGHUP || number == SIGTERM;
        // A key the terminal turned into a signal has reached the program already.
        if (!ending && info.ssi_code == SI_KERNEL) return;
        ::kill(child_, number);
        if (ending && endingSignal_ == 0) {
            endingSignal_ = number;
            killAt_ = SteadyClock::now() + kGrace;
        }
    }

    OutputCopy& copy_;
    std::unique_ptr<FileDescriptor> signals_;
    std::unique_ptr<FileDescriptor> output_;
    pid_t child_ = -1;
    bool outputOpen_ = true;
    std::optional<int> waitStatus_;
    int endingSignal_ = 0;
    std::optional<SteadyClock::time_point> killAt_;
    char buffer_[64 * 1024];
};

int Run(const RunnerRequest& request) {
    if (request.title) SetTerminalTitle(*request.title);
    DescriptorSink window(STDOUT_FILENO);
    OutputCopy copy(window, request.logFile.value_or(""));
    const std::optional<std::filesystem::path> file = PrepareLogFile(request);
    std::string reason;
    const FileDescriptor log(file ? OpenLog(*file, reason) : -1);
    DescriptorSink logSink(log.get());
    if (log.valid()) copy.setLog(logSink);
    else if (file) copy.logFailed(reason);
    ScriptOutcome outcome;
    try {
        outcome = ChildRun(request, copy).waitForEnd();
    } catch (const std::runtime_error& error) {
        copy.say("vantrel-script: " + request.program.front() + " cannot be run: " + error.what());
        outcome = {ScriptOutcome::Ending::Exited, 127, std::chrono::system_clock::now(), {}};
    }
    // The outcome never points at a log that a power cut would take back.
    if (log.valid() && ::fsync(log.get()) != 0 && copy.logProblem().empty())
        copy.logFailed(std::strerror(errno));
    outcome.logProblem = copy.logProblem();
    return FinishRun(request, outcome, copy);
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    const auto parsed = vantrel::ParseRunnerArguments({argv + 1, argv + argc});
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return vantrel::kRunnerUsageStatus;
    }
    return vantrel::Run(std::get<vantrel::RunnerRequest>(parsed));
}
