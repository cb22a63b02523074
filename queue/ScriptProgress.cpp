#include "queue/ScriptProgress.h"

#include "queue/LocalTime.h"
#include "queue/QueueEntry.h"

namespace vantrel {

std::string RowTooltip(std::string_view entryText, const ScriptProgress& progress) {
    const std::string path = ScriptPath(entryText);
    const std::string started = ReadableLocalTime(progress.startedAt);
    switch (progress.state) {
        case RowProgress::Waiting: return path;
        case RowProgress::Started: return path + "\nStarted " + started + ", its window not shown yet";
        case RowProgress::Running: return path + "\nRunning since " + started;
        case RowProgress::Done:
            return path + "\nDone: started " + started + ", took " +
                   SecondsText(progress.endedAt - progress.startedAt) + " s";
        case RowProgress::NotShown:
            return path + "\nStarted " + started +
                   ", but no window showed: it failed to start or ended at once";
    }
    return path;
}

void ShowRowProgress(ListBox& list, int row, std::string_view entryText,
                     const ScriptProgress& progress) {
    list.setRowProgress(row, progress.state, RowTooltip(entryText, progress));
}

}  // namespace vantrel
