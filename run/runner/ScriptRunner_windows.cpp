// The script runner on Windows: runs the script's program as its child in
// the console it was started in, copies the program's output to the console
// and to the log, and records how the program ended, also when the console
// is closed.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <stdexcept>

#include "base/WideText_windows.h"
#include "run/CommandLine_windows.h"
#include "run/OwnedHandle_windows.h"
#include "run/runner/ScriptRunner.h"

namespace vantrel {
namespace {

/// What Windows gives a console process that its console's closing ended.
constexpr DWORD kControlExit = 0xC000013A;
/// The system ends the runner 5 s after the console's closing; the outcome
/// is written within that time.
constexpr DWORD kCloseGraceMilliseconds = 3000;
constexpr DWORD kOutcomeMilliseconds = 4500;

std::string LastErrorText() { return SystemErrorText(GetLastError()); }

class HandleSink final : public OutputSink {
public:
    explicit HandleSink(HANDLE handle) : handle_(handle) {}
    std::optional<std::string> write(std::string_view bytes) override {
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
            if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) return LastErrorText();
            bytes.remove_prefix(written);
        }
        return std::nullopt;
    }

private:
    HANDLE handle_;
};

/// The log, created new; an invalid handle and the reason when it cannot be.
OwnedHandle OpenLog(const std::filesystem::path& file, std::string& reason) {
    OwnedHandle log(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!Valid(log)) {
        reason = LastErrorText();
    } else if (GetFileType(log.get()) != FILE_TYPE_DISK) {
        reason = "it is not a file";
        log.reset();
    }
    return log;
}

/// Told by the console's control handler, which runs on a thread of its own.
struct ConsoleClosing {
    OwnedHandle asked{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    OwnedHandle outcomeWritten{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<DWORD> event{0};
};
ConsoleClosing g_closing;

BOOL WINAPI OnConsoleControl(DWORD event) {
    // Ctrl+C and Ctrl+Break reach the program as well, which decides itself.
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    g_closing.event = event;
    SetEvent(g_closing.asked.get());
    // Returning lets the system end the runner at once.
    WaitForSingleObject(g_closing.outcomeWritten.get(), kOutcomeMilliseconds);
    return TRUE;
}

/// The program's output: the read end of a pipe of its own, read
/// overlapped so that the runner waits for the output and the program's
/// end at once.
class OutputPipe {
public:
    OutputPipe() {
        static std::atomic<unsigned> made;
        const std::wstring name = L"\\\\.\\pipe\\vantrel-script-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(++made);
        read_.reset(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED |
                                                       FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
                                     sizeof buffer_, 0, nullptr));
        if (!Valid(read_)) throw std::runtime_error(LastErrorText());
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        write_.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr));
        if (!Valid(write_)) throw std::runtime_error(LastErrorText());
        overlapped_.hEvent = readDone_.get();
        startRead();
    }

    HANDLE writeEnd() const { return write_.get(); }
    void closeWriteEnd() { write_.reset(); }
    /// Set when a read has finished.
    HANDLE readDone() const { return readDone_.get(); }
    bool open() const { return open_; }

    /// The bytes of the read that finished, and the next read started.
    std::string_view takeRead() {
        DWORD count = 0;
        if (!GetOverlappedResult(read_.get(), &overlapped_, &count, FALSE) || count == 0) {
            open_ = false;
            return {};
        }
        taken_.assign(buffer_, count);
        startRead();
        return taken_;
    }

    /// Whatever the pipe still holds, once the program has ended; a process
    /// of its own that keeps the pipe open is not waited for.
    template <typename Copy>
    void drain(Copy copy) {
        while (open_) {
            DWORD waiting = 0;
            const bool more = PeekNamedPipe(read_.get(), nullptr, 0, nullptr, &waiting, nullptr) &&
                              waiting > 0;
            if (WaitForSingleObject(readDone_.get(), more ? 1000 : 0) != WAIT_OBJECT_0) break;
            copy(takeRead());
        }
        if (!open_) return;
        CancelIo(read_.get());
        DWORD count = 0;
        if (GetOverlappedResult(read_.get(), &overlapped_, &count, TRUE) && count > 0)
            copy(std::string_view(buffer_, count));
    }

private:
    void startRead() {
        ResetEvent(readDone_.get());
        if (!ReadFile(read_.get(), buffer_, sizeof buffer_, nullptr, &overlapped_) &&
            GetLastError() != ERROR_IO_PENDING)
            SetEvent(readDone_.get());  // the failure shows in takeRead()
    }

    OwnedHandle read_;
    OwnedHandle write_;
    OwnedHandle readDone_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    OVERLAPPED overlapped_{};
    bool open_ = true;
    char buffer_[64 * 1024];
    std::string taken_;
};

/// The program's command line, each argument quoted.
std::wstring ProgramCommandLine(const std::vector<std::wstring>& program) {
    std::wstring line;
    for (const std::wstring& argument : program) line += (line.empty() ? L"" : L" ") + QuotedArgument(argument);
    return line;
}

OwnedHandle StartProgram(const std::vector<std::wstring>& program, HANDLE output) {
    std::wstring commandLine = ProgramCommandLine(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    SetHandleInformation(startup.hStdInput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.front().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process))
        throw std::runtime_error(LastErrorText());
    CloseHandle(process.hThread);
    return OwnedHandle(process.hProcess);
}

/// Copies the program's output until it has ended, and says how it ended.
ScriptOutcome FollowProgram(const RunnerRequest& request, OutputCopy& copy, ConsoleClosing& closing) {
    std::vector<std::wstring> program;
    for (const std::string& argument : request.program) program.push_back(WideFromUtf8(argument).value_or(L""));
    OutputPipe output;
    const OwnedHandle child = StartProgram(program, output.writeEnd());
    output.closeWriteEnd();
    const auto copyBytes = [&](std::string_view bytes) { copy.copy(bytes); };
    std::optional<ULONGLONG> endBy;  // once the console is closing
    while (true) {
        const HANDLE waits[] = {child.get(), closing.asked.get(), output.readDone()};
        const ULONGLONG now = GetTickCount64();
        const DWORD timeout = endBy ? static_cast<DWORD>(*endBy > now ? *endBy - now : 0) : INFINITE;
        const DWORD woken = WaitForMultipleObjects(output.open() ? 3 : 2, waits, FALSE, timeout);
        if (woken == WAIT_OBJECT_0) break;
        if (woken == WAIT_OBJECT_0 + 1) {
            ResetEvent(closing.asked.get());
            if (!endBy) endBy = now + kCloseGraceMilliseconds;
        } else if (woken == WAIT_OBJECT_0 + 2) {
            copyBytes(output.takeRead());
        } else {
            TerminateProcess(child.get(), kControlExit);
            WaitForSingleObject(child.get(), INFINITE);
            break;
        }
    }
    output.drain(copyBytes);
    ScriptOutcome outcome;
    outcome.endedAt = std::chrono::system_clock::now();
    if (endBy) {
        outcome.ending = ScriptOutcome::Ending::Signalled;
        outcome.code = static_cast<int>(closing.event.load());
    } else {
        DWORD status = 0;
        GetExitCodeProcess(child.get(), &status);
        outcome.code = static_cast<int>(status);
    }
    return outcome;
}

int Run(const RunnerRequest& request) {
    if (request.title) SetConsoleTitleW(WideFromUtf8(*request.title).value_or(L"").c_str());
    HandleSink window(GetStdHandle(STD_OUTPUT_HANDLE));
    OutputCopy copy(window, request.logFile.value_or(""));
    const std::optional<std::filesystem::path> file = PrepareLogFile(request);
    std::string reason;
    const OwnedHandle log = file ? OpenLog(*file, reason) : OwnedHandle();
    HandleSink logSink(log.get());
    if (Valid(log)) copy.setLog(logSink);
    else if (file) copy.logFailed(reason);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    ScriptOutcome outcome;
    try {
        outcome = FollowProgram(request, copy, g_closing);
    } catch (const std::runtime_error& error) {
        copy.say("vantrel-script: " + request.program.front() + " cannot be started: " + error.what());
        outcome = {ScriptOutcome::Ending::Exited, 127, std::chrono::system_clock::now(), {}};
    }
    if (Valid(log) && !FlushFileBuffers(log.get()) && copy.logProblem().empty())
        copy.logFailed(LastErrorText());
    outcome.logProblem = copy.logProblem();
    const int status = FinishRun(request, outcome, copy);
    SetEvent(g_closing.outcomeWritten.get());
    return status;
}

}  // namespace
}  // namespace vantrel

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(vantrel::Utf8FromWide(argv[i]));
    const auto parsed = vantrel::ParseRunnerArguments(arguments);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        vantrel::HandleSink(GetStdHandle(STD_ERROR_HANDLE)).write(*problem + "\n");
        return vantrel::kRunnerUsageStatus;
    }
    return vantrel::Run(std::get<vantrel::RunnerRequest>(parsed));
}
