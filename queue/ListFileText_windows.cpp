#include <windows.h>

#include "base/WideText_windows.h"
#include "queue/ListFileText.h"

namespace vantrel {

namespace {

bool IsUtf8(const std::string& bytes) {
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

std::wstring FromAnsiCodePage(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

}  // namespace

std::string ListFileText(std::string bytes) {
    if (IsUtf8(bytes)) return bytes;
    return Utf8FromWide(FromAnsiCodePage(bytes));
}

}  // namespace vantrel
