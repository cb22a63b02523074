#include <windows.h>

#include "base/WideText_windows.h"
#include "run/CommandLine_windows.h"
#include "run/Launcher.h"
#include "run/OwnedHandle_windows.h"
#include "run/ProcessHandle_windows.h"

namespace vantrel {

namespace {

const std::string kTool = kScriptTool;
constexpr const wchar_t* kRunner = L"vantrel-script.exe";

std::wstring WideToolName() { return *WideFromUtf8(kTool); }

std::wstring WideOrRefuse(std::string_view text, std::string_view what) {
    std::optional<std::wstring> wide = WideFromUtf8(text);
    if (!wide)
        throw LaunchError("The " + std::string(what) + " is not valid text: " + std::string(text));
    return *wide;
}

bool IsFile(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

/// The full path of the tool, found as CreateProcess would find it: beside the
/// program, in the system folders, in the current folder, then on PATH.
std::wstring FindTool() {
    const std::wstring name = WideToolName();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = SearchPathW(nullptr, name.c_str(), nullptr,
                                         static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0) {
            throw LaunchError(kTool +
                              " was not found on the search path (PATH), so the script could "
                              "not be started. Add the folder that holds " +
                              kTool + " to PATH and try again.");
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

/// Whether a new console may become a tab of a terminal (Windows Terminal)
/// rather than a window of its own: unless the user chose the console host
/// itself as the default terminal.
bool ConsolesMayOpenInATerminal() {
    constexpr const wchar_t* kConsoleHost = L"{B23D10C0-E52E-411E-9D5B-C09FDF709C7D}";
    wchar_t chosen[64] = {};
    DWORD size = sizeof chosen;
    return RegGetValueW(HKEY_CURRENT_USER, L"Console\\%%Startup", L"DelegationConsole", RRF_RT_REG_SZ,
                        nullptr, chosen, &size) != ERROR_SUCCESS ||
           _wcsicmp(chosen, kConsoleHost) != 0;
}

/// The classic console host, where a new console might not be a window of
/// its own: a console it hosts is one.
std::optional<std::filesystem::path> ClassicConsoleHost() {
    if (!ConsolesMayOpenInATerminal()) return std::nullopt;
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    std::filesystem::path host = std::filesystem::path(system) / L"conhost.exe";
    if (!IsFile(host)) return std::nullopt;
    return host;
}

std::filesystem::path RunnerBesideProgram() {
    std::wstring self(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()))) ==
           self.size())
        self.resize(self.size() * 2);
    self.resize(length);
    return std::filesystem::path(self).parent_path() / kRunner;
}

/// A relative path that starts with "-" goes as ".\\-name", the same file, so
/// that the tool cannot take it for an option.
std::string ArgumentNotAnOption(const std::string& scriptPath) {
    return scriptPath.starts_with('-') ? ".\\" + scriptPath : scriptPath;
}

void RefuseUnquotablePath(const std::string& scriptPath) {
    // Windows programs split their command line themselves, and a quote inside a
    // quoted argument is read differently by different programs.
    if (scriptPath.find('"') == std::string::npos) return;
    throw LaunchError("The path " + scriptPath +
                      " holds a double quote (\"), which cannot be passed to " + kTool +
                      " safely. Rename the file or its folder and try again.");
}

class ConsoleLauncher final : public Launcher {
public:
    explicit ConsoleLauncher(std::filesystem::path runner) : runner_(std::move(runner)) {}

    ProcessIdentity startScript(const LaunchRequest& request) override {
        RefuseUnquotablePath(request.scriptPath);
        const std::wstring tool = FindTool();
        if (!IsFile(runner_)) {
            throw LaunchError("The script runner " + Utf8FromWide(runner_.wstring()) +
                              " is missing, so the script could not be started. It comes with "
                              "Vantrel and belongs beside the program: install Vantrel again.");
        }
        std::wstring title = WideOrRefuse(request.commandLine, "command line");
        // A console host started with a command line may title its window
        // otherwise, so the runner titles it too.
        const std::wstring runnerLine =
            QuotedArgument(runner_.wstring()) + L" --outcome " + QuotedArgument(request.outcomeFile.wstring()) +
            L" --log " + QuotedArgument(request.logFile.wstring()) + L" --title " + QuotedArgument(title) +
            L" -- " + QuotedArgument(tool) + L" " +
            QuotedArgument(WideOrRefuse(ArgumentNotAnOption(request.scriptPath), "script path"));

        const std::optional<std::filesystem::path> host = ClassicConsoleHost();
        const std::filesystem::path program = host ? *host : runner_;
        std::wstring commandLine = host ? QuotedArgument(host->wstring()) + L" " + runnerLine : runnerLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINIMIZED;
        // The console's title carries the command line, as the search for running scripts expects.
        startup.lpTitle = title.data();
        PROCESS_INFORMATION process{};
        // The console host makes the console itself; without it the runner gets a new one.
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                            host ? 0 : CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &process)) {
            throw LaunchError(kTool + " could not be started: " + SystemErrorText(GetLastError()));
        }
        const OwnedHandle processHandle(process.hProcess);
        const OwnedHandle threadHandle(process.hThread);
        return IdentityOfProcess(processHandle.get());
    }

private:
    std::filesystem::path runner_;
};

}  // namespace

std::unique_ptr<Launcher> CreateLauncher(std::optional<std::filesystem::path> runner) {
    return std::make_unique<ConsoleLauncher>(runner ? std::move(*runner) : RunnerBesideProgram());
}

}  // namespace vantrel
