#include "app/win32/Win32SingleInstance.h"

#include "app/win32/NativeHandles.h"
#include "app/win32/Win32MainWindow.h"

namespace vantrel::win32 {

namespace {

// The WM_COPYDATA tags of a later start's request and of the running window's answer.
constexpr ULONG_PTR kLaterStartRequest = 0x5654524C;
constexpr ULONG_PTR kLaterStartAnswer = 0x5654524D;
// How long a later start waits for the running one's window, which may still
// be on its way up, and for its answer.
constexpr ULONGLONG kWindowWaitMs = 5000;
constexpr UINT kAnswerBoundMs = 5000;
constexpr wchar_t kAnswerWindowClass[] = L"VantrelLaterStart";

std::wstring MutexName() {
    wchar_t user[256] = {};
    DWORD size = 256;
    GetUserNameW(user, &size);
    return std::wstring(L"Local\\Vantrel-") + user;
}

std::string TextOf(const COPYDATASTRUCT& data) {
    return std::string(static_cast<const char*>(data.lpData), data.cbData);
}

/// A message-only window that receives the running window's answer.
class AnswerWindow {
public:
    AnswerWindow() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kAnswerWindowClass;
        RegisterClassExW(&windowClass);
        window_.reset(CreateWindowExW(0, kAnswerWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, GetModuleHandleW(nullptr), nullptr));
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answer_));
    }
    HWND handle() const { return window_.get(); }
    const std::string& answer() const { return answer_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_COPYDATA) return DefWindowProcW(window, message, wParam, lParam);
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* answer = reinterpret_cast<std::string*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (data.dwData != kLaterStartAnswer || answer == nullptr) return FALSE;
        *answer = TextOf(data);
        return TRUE;
    }

    OwnedWindow window_;
    std::string answer_;
};

/// Hands the request to the running window; its answer, or nothing when it did not take it.
std::optional<std::string> HandOver(HWND running, std::string_view request) {
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    // This start was just made by the user, so it may let the running one take the foreground.
    AllowSetForegroundWindow(process);
    const AnswerWindow answering;
    COPYDATASTRUCT data{kLaterStartRequest, static_cast<DWORD>(request.size()),
                        const_cast<char*>(request.data())};
    DWORD_PTR taken = FALSE;
    // The answer arrives while this waits: a waiting sender handles messages sent to it.
    if (SendMessageTimeoutW(running, WM_COPYDATA, reinterpret_cast<WPARAM>(answering.handle()),
                            reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerBoundMs,
                            &taken) == 0 ||
        taken != TRUE)
        return std::nullopt;
    return answering.answer();
}

}  // namespace

// Creating the mutex is the claim: of two starts at one moment only one creates it.
SingleInstance::SingleInstance()
    : mutex_(CreateMutexW(nullptr, FALSE, MutexName().c_str())),
      first_(mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) {}

std::optional<std::string> SingleInstance::claim(std::string_view request) {
    if (first_) return std::nullopt;
    for (const ULONGLONG end = GetTickCount64() + kWindowWaitMs; GetTickCount64() < end; Sleep(50))
        if (HWND running = FindWindowW(kMainWindowClass, nullptr))
            if (std::optional<std::string> answer = HandOver(running, request)) return answer;
    // The running one shows no window that answers: better a second window than none.
    return std::nullopt;
}

std::optional<std::string> LaterStartRequest(const COPYDATASTRUCT& data) {
    if (data.dwData != kLaterStartRequest) return std::nullopt;
    return TextOf(data);
}

void AnswerLaterStart(HWND caller, HWND answering, std::string_view answer) {
    COPYDATASTRUCT data{kLaterStartAnswer, static_cast<DWORD>(answer.size()),
                        const_cast<char*>(answer.data())};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(caller, WM_COPYDATA, reinterpret_cast<WPARAM>(answering),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerBoundMs,
                        &ignored);
}

}  // namespace vantrel::win32
