#include "app/win32/ConsoleText.h"

#include <windows.h>

#include <string>

#include "app/win32/WindowText.h"
#include "run/OwnedHandle_windows.h"

namespace vantrel::win32 {

namespace {

bool Given(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

OwnedHandle ParentConsole() {
    // Access is denied when the program has a console already.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return nullptr;
    return OwnedHandle(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
}

HANDLE Stream(DWORD which) {
    if (HANDLE given = GetStdHandle(which); Given(given)) return given;
    // Attached once, on the first text that needs it.
    static const OwnedHandle console = ParentConsole();
    return console.get();
}

std::string WithCrLf(std::string_view text) {
    std::string lines;
    for (const char c : text) {
        if (c == '\n' && (lines.empty() || lines.back() != '\r')) lines += '\r';
        lines += c;
    }
    return lines;
}

void Write(DWORD which, std::string_view text) {
    HANDLE to = Stream(which);
    if (text.empty() || !Given(to)) return;
    const std::string lines = WithCrLf(text);
    DWORD written = 0, mode = 0;
    // A console shows UTF-16 whatever its code page; a file or pipe takes the UTF-8 bytes.
    if (GetConsoleMode(to, &mode)) {
        const std::wstring wide = DisplayText(lines);
        WriteConsoleW(to, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(to, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    }
}

}  // namespace

void WriteStandardOutput(std::string_view text) { Write(STD_OUTPUT_HANDLE, text); }

void WriteStandardError(std::string_view text) { Write(STD_ERROR_HANDLE, text); }

}  // namespace vantrel::win32
