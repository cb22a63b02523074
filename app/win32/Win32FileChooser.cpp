#include "app/win32/Win32FileChooser.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <filesystem>
#include <memory>

#include "base/WideText_windows.h"

namespace vantrel::win32 {

namespace {

// Text files first, all files second; the list ends in two zero characters.
// The dialogs match "*.*" to every name, names without a dot among them.
constexpr wchar_t kFilter[] = L"Text (*.txt)\0*.txt\0*.* (*.*)\0*.*\0";
constexpr DWORD kTextFilter = 1;
// Room for many files chosen at once in a deep folder.
constexpr DWORD kBufferChars = 1 << 16;

struct TaskMemoryFree {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

std::wstring ProfileFolder() {
    wchar_t* found = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &found);
    const std::unique_ptr<wchar_t, TaskMemoryFree> owned(found);
    // Without it (a profile being set up) the dialogs choose for themselves.
    return SUCCEEDED(result) ? std::wstring(owned.get()) : std::wstring();
}

OPENFILENAMEW Dialog(HWND owner, std::wstring& buffer, const std::wstring& folder, DWORD flags) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = kTextFilter;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return dialog;
}

/// The name a list is saved under: ".txt" added when the Text filter was
/// chosen and the file name has no extension of its own.
std::wstring WithTextExtension(const std::wstring& file, bool textFilterChosen) {
    if (file.empty() || !textFilterChosen || std::filesystem::path(file).has_extension())
        return file;
    return file + L".txt";
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

Win32FileChooser::Win32FileChooser() : folder_(ProfileFolder()) {}

std::string Win32FileChooser::remembered(const std::wstring& file) {
    if (!file.empty()) folder_ = std::filesystem::path(file).parent_path().wstring();
    return Utf8FromWide(file);
}

std::vector<std::string> Win32FileChooser::chooseScriptFiles() {
    std::wstring buffer(kBufferChars, L'\0');
    OPENFILENAMEW dialog = Dialog(owner_, buffer, folder_,
                                  OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    std::vector<std::string> paths;
    if (!GetOpenFileNameW(&dialog)) return paths;
    for (const std::wstring& path : ChosenPaths(buffer.c_str())) paths.push_back(remembered(path));
    return paths;
}

std::string Win32FileChooser::chooseListFileToOpen() {
    std::wstring buffer(kBufferChars, L'\0');
    OPENFILENAMEW dialog = Dialog(owner_, buffer, folder_, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    return GetOpenFileNameW(&dialog) ? remembered(buffer.c_str()) : std::string();
}

std::string Win32FileChooser::chooseListFileToSave() {
    std::wstring buffer(kBufferChars, L'\0');
    OPENFILENAMEW dialog = Dialog(owner_, buffer, folder_, OFN_PATHMUSTEXIST);
    if (!GetSaveFileNameW(&dialog)) return {};
    // The dialog tells which filter was chosen last, counted from 1.
    return remembered(WithTextExtension(buffer.c_str(), dialog.nFilterIndex == kTextFilter));
}

}  // namespace vantrel::win32
