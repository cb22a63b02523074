#pragma once

#include <string>
#include <vector>

#include "queue/FileChooser.h"

namespace vantrel::testing {

/// File dialogs a test answers beforehand; each is cancelled (empty) until set.
class ScriptedFileChooser : public FileChooser {
public:
    std::vector<std::string> scriptFiles;
    std::string listFileToOpen;
    std::string listFileToSave;

    std::vector<std::string> chooseScriptFiles() override { return scriptFiles; }
    std::string chooseListFileToOpen() override { return listFileToOpen; }
    std::string chooseListFileToSave() override { return listFileToSave; }
};

}  // namespace vantrel::testing
