#include "queue/ScriptProgress.h"

#include "queue/LocalTime.h"
#include "queue/QueueEntry.h"

namespace vantrel {

namespace {

std::string Ended(const ScriptProgress& progress) {
    const std::string how = progress.ending.empty() ? "how it ended is not known" : progress.ending;
    return how + ", started " + ReadableLocalTime(progress.startedAt) + ", took " +
           SecondsText(progress.endedAt - progress.startedAt) + " s";
}

std::string Log(const ScriptProgress& progress) {
    return progress.logFile.empty() ? "" : "\nLog: " + progress.logFile;
}

}  // namespace

std::string RowTooltip(std::string_view entryText, const ScriptProgress& progress) {
    const std::string path = ScriptPath(entryText);
    const std::string started = ReadableLocalTime(progress.startedAt);
    switch (progress.state) {
        case RowProgress::Waiting: return path;
        case RowProgress::Started: return path + "\nStarted " + started + ", its window not shown yet";
        case RowProgress::Running: return path + "\nRunning since " + started;
        case RowProgress::Done: return path + "\nDone: " + Ended(progress) + Log(progress);
        case RowProgress::Failed: return path + "\nFailed: " + Ended(progress) + Log(progress);
        case RowProgress::NotShown:
            return path + "\nStarted " + started +
                   ", but no window showed: it failed to start or ended at once" +
                   (progress.ending.empty() ? "" : " (" + progress.ending + ")") + Log(progress);
        case RowProgress::Skipped: return path + "\nSkipped: marked as done without running";
    }
    return path;
}

void ShowRowProgress(ListBox& list, int row, std::string_view entryText,
                     const ScriptProgress& progress) {
    list.setRowProgress(row, progress.state, RowTooltip(entryText, progress));
}

}  // namespace vantrel
