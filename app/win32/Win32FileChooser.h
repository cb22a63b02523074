#pragma once

#include <windows.h>

#include "queue/FileChooser.h"

namespace vantrel::win32 {

/// The common open and save dialogs, owned by the main window. No title or
/// starting folder is set, and saving over an existing file asks nothing:
/// the list simply replaces it.
class Win32FileChooser final : public FileChooser {
public:
    void setOwner(HWND owner) { owner_ = owner; }

    std::vector<std::string> chooseScriptFiles() override;
    std::string chooseListFileToOpen() override;
    std::string chooseListFileToSave() override;

private:
    HWND owner_ = nullptr;
};

/// The full paths an open dialog that allows several files returned in its
/// buffer: either one full path, or the folder followed by the file names,
/// each ending in a zero character, the whole ending in two.
std::vector<std::wstring> ChosenPaths(const wchar_t* buffer);

}  // namespace vantrel::win32
