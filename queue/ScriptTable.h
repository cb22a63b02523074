#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vantrel {

/// One row of the script table: the entry text and its run state.
struct ScriptRow {
    std::string entryText;
    std::string runState;  // "" or kExecuted
};

constexpr int kScriptTableRows = 100;
inline constexpr std::string_view kExecuted = "Executed";

/// The in-memory table the run walks: row r holds list item r's entry text
/// (for entries loaded at start-up) and whether it was started in this run.
using ScriptTable = std::array<ScriptRow, kScriptTableRows>;

}  // namespace vantrel
