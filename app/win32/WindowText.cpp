#include "app/win32/WindowText.h"

#include "base/WideText_windows.h"

namespace vantrel::win32 {

std::wstring DisplayText(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string WindowTextOf(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return Utf8FromWide(text);
}

void SetWindowTextUtf8(HWND window, std::string_view utf8) {
    SetWindowTextW(window, DisplayText(utf8).c_str());
}

}  // namespace vantrel::win32
