#pragma once

#include <windows.h>

#include <string>

#include "queue/FileChooser.h"

namespace vantrel::win32 {

/// The common open and save dialogs, owned by the main window. They open in
/// the folder last chosen from (the user's profile folder the first time); no
/// title is set, and saving over an existing file asks nothing: the list
/// simply replaces it.
class Win32FileChooser final : public FileChooser {
public:
    Win32FileChooser();
    void setOwner(HWND owner) { owner_ = owner; }

    std::vector<std::string> chooseScriptFiles() override;
    std::string chooseListFileToOpen() override;
    std::string chooseListFileToSave() override;

private:
    /// The chosen file, its folder kept for the next dialog.
    std::string remembered(const std::wstring& file);

    HWND owner_ = nullptr;
    std::wstring folder_;
};

/// The full paths an open dialog that allows several files returned in its
/// buffer: either one full path, or the folder followed by the file names,
/// each ending in a zero character, the whole ending in two.
std::vector<std::wstring> ChosenPaths(const wchar_t* buffer);

}  // namespace vantrel::win32
