#include <windows.h>

#include <memory>
#include <type_traits>

#include "base/WideText_windows.h"
#include "run/Launcher.h"

namespace vantrel {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

const std::string kTool = kScriptTool;

std::wstring WideToolName() { return *WideFromUtf8(kTool); }

std::wstring WideOrRefuse(std::string_view text, std::string_view what) {
    std::optional<std::wstring> wide = WideFromUtf8(text);
    if (!wide)
        throw LaunchError("The " + std::string(what) + " is not valid text: " + std::string(text));
    return *wide;
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

/// The script path as one argument between double quotes. Backslashes before
/// the closing quote are doubled, or the program would read them as escaping it.
std::wstring QuotedArgument(const std::wstring& path) {
    const std::size_t trailing = path.size() - (path.find_last_not_of(L'\\') + 1);
    return L"\"" + path + std::wstring(trailing, L'\\') + L"\"";
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
    void startScript(const std::string& commandLine, const std::string& scriptPath) override {
        RefuseUnquotablePath(scriptPath);
        const std::wstring tool = FindTool();
        std::wstring arguments =
            WideToolName() + L" " +
            QuotedArgument(WideOrRefuse(ArgumentNotAnOption(scriptPath), "script path"));
        std::wstring title = WideOrRefuse(commandLine, "command line");

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINIMIZED;
        // The console's title carries the command line, as the search for running scripts expects.
        startup.lpTitle = title.data();
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(tool.c_str(), arguments.data(), nullptr, nullptr, FALSE,
                            CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &process)) {
            throw LaunchError(kTool + " could not be started: " + SystemErrorText(GetLastError()));
        }
        // Nothing is kept of the script's process: it runs on its own.
        const OwnedHandle processHandle(process.hProcess);
        const OwnedHandle threadHandle(process.hThread);
    }
};

}  // namespace

std::unique_ptr<Launcher> CreateLauncher() { return std::make_unique<ConsoleLauncher>(); }

}  // namespace vantrel
