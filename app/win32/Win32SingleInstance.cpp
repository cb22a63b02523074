#include "app/win32/Win32SingleInstance.h"

#include <shellapi.h>

#include <memory>

#include "app/win32/Win32MainWindow.h"

namespace vantrel::win32 {

namespace {

// How long a later start waits for the running one's window, which may still
// be on its way up.
constexpr ULONGLONG kWindowWaitMs = 5000;
constexpr UINT kAnswerBoundMs = 2000;

std::wstring MutexName() {
    wchar_t user[256] = {};
    DWORD size = 256;
    GetUserNameW(user, &size);
    return std::wstring(L"Local\\Vantrel-") + user;
}

std::wstring Packed(const std::vector<std::wstring>& arguments) {
    std::wstring packed;
    for (const std::wstring& argument : arguments) packed += argument + L'\0';
    return packed;
}

/// Hands the request to the running window; false when it did not take it.
bool HandOver(HWND running, const std::wstring& request) {
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    // This start was just made by the user, so it may let the running one take the foreground.
    AllowSetForegroundWindow(process);
    COPYDATASTRUCT data{kLaterStartRequest, static_cast<DWORD>(request.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(request.data())};
    DWORD_PTR taken = FALSE;
    return SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, kAnswerBoundMs, &taken) != 0 &&
           taken == TRUE;
}

struct LocalFreer {
    void operator()(wchar_t** memory) const { LocalFree(memory); }
};

}  // namespace

// Creating the mutex is the claim: of two starts at one moment only one creates it.
SingleInstance::SingleInstance()
    : mutex_(CreateMutexW(nullptr, FALSE, MutexName().c_str())),
      first_(mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) {}

bool SingleInstance::claim(const std::vector<std::wstring>& arguments) {
    if (first_) return true;
    const std::wstring request = Packed(arguments);
    for (const ULONGLONG end = GetTickCount64() + kWindowWaitMs; GetTickCount64() < end; Sleep(50))
        if (HWND running = FindWindowW(kMainWindowClass, nullptr); running && HandOver(running, request))
            return false;
    // The running one shows no window that answers: better a second window than none.
    return true;
}

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    const std::unique_ptr<wchar_t*, LocalFreer> words(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!words) return {};
    return std::vector<std::wstring>(words.get() + std::min(count, 1), words.get() + count);
}

}  // namespace vantrel::win32
