#include "app/win32/TrayNotification.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "app/win32/Resources.h"
#include "base/WideText_windows.h"

namespace vantrel {

namespace {

template <std::size_t Size>
void CopyTruncated(wchar_t (&field)[Size], std::wstring_view text) {
    const std::size_t length = std::min(text.size(), Size - 1);
    std::wmemcpy(field, text.data(), length);
    field[length] = L'\0';
}

}  // namespace

TrayNotification::TrayNotification(HWND window) {
    data_.cbSize = sizeof(data_);
    data_.hWnd = window;
    data_.uID = 1;
    data_.uFlags = NIF_ICON | NIF_TIP;
    data_.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VANTREL_ICON));
    CopyTruncated(data_.szTip, L"Vantrel");
}

TrayNotification::~TrayNotification() {
    if (added_) Shell_NotifyIconW(NIM_DELETE, &data_);
}

bool TrayNotification::show(std::string_view text) {
    if (!added_) added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    if (!added_) return false;
    NOTIFYICONDATAW balloon = data_;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_INFO;
    CopyTruncated(balloon.szInfoTitle, L"Vantrel");
    CopyTruncated(balloon.szInfo, WideFromUtf8(text).value_or(L""));
    return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
}

}  // namespace vantrel
