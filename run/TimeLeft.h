#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vantrel {

/// How long each script took in earlier runs, as the journal kept it: the
/// median of its durations, so that one run cut short or one slow night does
/// not sway the estimate.
class ScriptDurations {
public:
    using Samples = std::vector<std::pair<std::string, std::chrono::milliseconds>>;

    /// Reads the journal files of the folder, the most recent days first;
    /// unreadable files and lines without a duration are passed over.
    static ScriptDurations FromJournal(const std::filesystem::path& folder);
    /// Each script path with one duration it took.
    explicit ScriptDurations(const Samples& samples = {});

    std::optional<std::chrono::milliseconds> medianOf(const std::string& scriptPath) const;

private:
    // Taken once, when the run starts, rather than at each tick that shows the time left.
    std::unordered_map<std::string, std::chrono::milliseconds> medians_;
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
