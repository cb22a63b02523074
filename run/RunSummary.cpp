#include "run/RunSummary.h"

#include <filesystem>
#include <vector>


namespace vantrel {

namespace {

// A night's list of failures belongs in the journal; the notice names a few.
constexpr std::size_t kFailuresNamed = 3;

/// "03-calc-q3.txt": the entry's number and the script's file name.
std::string ShortEntryName(const RecordedLaunch& launch) {
    const std::string& entry = launch.entryText;
    const std::string number = entry.substr(0, entry.find('-'));
    return number + "-" + std::filesystem::path(launch.key.scriptPath).filename().string();
}

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string FailuresNamed(const std::vector<std::string>& failed) {
    std::string names;
    for (std::size_t i = 0; i < std::min(failed.size(), kFailuresNamed); ++i)
        names += (i == 0 ? "" : ", ") + failed[i];
    if (failed.size() > kFailuresNamed) names += " and " + std::to_string(failed.size() - kFailuresNamed) + " more";
    return " (" + names + ")";
}

}  // namespace

std::string RunSummaryText(const LaunchTracker& launches, bool stoppedByFailure) {
    std::size_t run = 0, succeeded = 0;
    std::vector<std::string> failed;
    for (int id = 0; id < launches.size(); ++id) {
        const LaunchTracker::Launch& launch = launches.launch(id);
        if (launch.record.skipped || launch.record.superseded) continue;
        ++run;
        succeeded += launch.state == RowProgress::Done;
        if (launch.failed()) failed.push_back(ShortEntryName(launch.record));
    }
    std::string text = (stoppedByFailure ? "Stopped after a failure: " : "") +
                       Counted(run, "script run", "scripts run") + ", " + std::to_string(succeeded) +
                       " succeeded";
    if (!failed.empty()) text += ", " + std::to_string(failed.size()) + " failed" + FailuresNamed(failed);
    return text;
}

}  // namespace vantrel
