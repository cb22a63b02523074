#include "app/win32/Win32FileChooser.h"

#include <commdlg.h>

#include <filesystem>

#include "base/WideText_windows.h"

namespace vantrel::win32 {

namespace {

// Text files first, all files second; the list ends in two zero characters.
constexpr wchar_t kFilter[] = L"Text (*.txt)\0*.txt\0*.* (*.*)\0*.*\0";
// Room for many files chosen at once in a deep folder.
constexpr DWORD kBufferChars = 1 << 16;

OPENFILENAMEW Dialog(HWND owner, std::wstring& buffer, DWORD flags) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return dialog;
}

}  // namespace

std::vector<std::wstring> ChosenPaths(const wchar_t* buffer) {
    std::vector<std::wstring> parts;
    for (const wchar_t* part = buffer; *part != L'\0'; part += wcslen(part) + 1)
        parts.emplace_back(part);
    if (parts.size() <= 1) return parts;
    std::vector<std::wstring> paths;
    const std::filesystem::path folder = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back((folder / parts[i]).wstring());
    return paths;
}

std::vector<std::string> Win32FileChooser::chooseScriptFiles() {
    std::wstring buffer(kBufferChars, L'\0');
    OPENFILENAMEW dialog =
        Dialog(owner_, buffer, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    std::vector<std::string> paths;
    if (!GetOpenFileNameW(&dialog)) return paths;
    for (const std::wstring& path : ChosenPaths(buffer.c_str()))
        paths.push_back(Utf8FromWide(path));
    return paths;
}

std::string Win32FileChooser::chooseListFileToOpen() {
    std::wstring buffer(kBufferChars, L'\0');
    OPENFILENAMEW dialog = Dialog(owner_, buffer, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    return GetOpenFileNameW(&dialog) ? Utf8FromWide(buffer.c_str()) : std::string();
}

std::string Win32FileChooser::chooseListFileToSave() {
    std::wstring buffer(kBufferChars, L'\0');
    OPENFILENAMEW dialog = Dialog(owner_, buffer, OFN_PATHMUSTEXIST);
    return GetSaveFileNameW(&dialog) ? Utf8FromWide(buffer.c_str()) : std::string();
}

}  // namespace vantrel::win32
