#pragma once

#include <string>
#include <string_view>

#include "queue/ListBox.h"
#include "queue/ScriptTable.h"

namespace vantrel {

/// The row's tooltip: the script's full path, then what its run has come to,
/// with the start time and, once it has ended, how long it took.
std::string RowTooltip(std::string_view entryText, const ScriptProgress& progress);

/// Shows the row's progress mark and tooltip in the list.
void ShowRowProgress(ListBox& list, int row, std::string_view entryText,
                     const ScriptProgress& progress);

}  // namespace vantrel
