#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantrel {

/// How long each script took in earlier runs, as the journal kept it: the
/// median of its durations, so that one run cut short or one slow night does
/// not sway the estimate.
class ScriptDurations {
public:
    /// Reads the journal files of the folder, the most recent days first;
    /// unreadable files and lines without a duration are passed over.
    static ScriptDurations FromJournal(const std::filesystem::path& folder);

    void add(const std::string& scriptPath, std::chrono::milliseconds took);
    std::optional<std::chrono::milliseconds> medianOf(const std::string& scriptPath) const;

private:
    std::unordered_map<std::string, std::vector<std::chrono::milliseconds>> durations_;
};

/// A script of the run that is still going.
struct GoingScript {
    std::string scriptPath;
    std::chrono::milliseconds runningFor;
};

/// How long the run still takes if every script takes its median and the
/// waiting ones start, in queue order, as soon as one of `concurrency` places
/// frees up; nullopt while any of them has no duration yet.
std::optional<std::chrono::milliseconds> EstimateTimeLeft(const std::vector<std::string>& waiting,
                                                          const std::vector<GoingScript>& going,
                                                          int concurrency,
                                                          const ScriptDurations& durations);

/// "About 25 min left", "About 1 h 05 min left", "Less than a minute left".
std::string TimeLeftText(std::chrono::milliseconds left);

}  // namespace vantrel
