#pragma once

#include <string>

#include "queue/ScriptTable.h"

namespace vantrel {

inline constexpr const char* kSettingsKeyPath = "Software\\Dravell\\Kestrim";
inline constexpr const char* kQueueRecordKeyPath = "Software\\Dravell\\Kestrim\\EssCmdList";

/// What the program keeps for its whole life, apart from any window.
struct ProgramState {
    std::string settingsKeyPath;
    std::string queueRecordKeyPath;
    ScriptTable scriptTable{};
};

}  // namespace vantrel
