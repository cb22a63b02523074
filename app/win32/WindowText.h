#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vantrel::win32 {

/// Text for a control. Text that is not valid UTF-8 shows U+FFFD where it
/// breaks; the core hands over only valid text.
std::wstring DisplayText(std::string_view utf8);

/// A window's or control's text in UTF-8.
std::string WindowTextOf(HWND window);

void SetWindowTextUtf8(HWND window, std::string_view utf8);

}  // namespace vantrel::win32
