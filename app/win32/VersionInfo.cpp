#include "app/win32/VersionInfo.h"

#include <windows.h>
// After windows.h, which it needs.
#include <winver.h>

#include <vector>

#include "base/WideText_windows.h"

namespace vantrel::win32 {

namespace {

std::wstring OwnFileName() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length < name.size()) return name.substr(0, length);
        name.resize(name.size() * 2);
    }
}

/// A string of the block the translation table names first.
std::string StringEntry(const std::vector<char>& block, const wchar_t* entry) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof *translation)
        return {};
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
             translation->codePage, entry);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&text), &size) || size == 0)
        return {};
    return Utf8FromWide(text);
}

}  // namespace

std::optional<VersionInfo> ReadOwnVersionInfo() {
    const std::wstring file = OwnFileName();
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixedSize < sizeof *fixed)
        return std::nullopt;
    return VersionInfo{StringEntry(block, L"ProductName"),
                       {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                        HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)},
                       StringEntry(block, L"LegalCopyright")};
}

}  // namespace vantrel::win32
