#pragma once

#include <QIcon>

#include "queue/ScriptTable.h"

namespace vantrel {

/// The small mark a queue row shows for its script's progress, drawn rather
/// than taken from a theme, so that every desktop shows the same marks.
QIcon ProgressMark(RowProgress progress);

}  // namespace vantrel
