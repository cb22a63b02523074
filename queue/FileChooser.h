#pragma once

#include <string>
#include <vector>

namespace vantrel {

/// The file dialogs of the queue commands. Each offers text files first and
/// all files second, and yields full paths; an empty result means cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    /// Script files to add; several may be chosen at once.
    virtual std::vector<std::string> chooseScriptFiles() = 0;
    /// An existing list file to import.
    virtual std::string chooseListFileToOpen() = 0;
    /// The list file to export to; an existing file may be chosen.
    virtual std::string chooseListFileToSave() = 0;
};

}  // namespace vantrel
