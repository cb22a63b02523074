#include "run/TimeLeft.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "run/RecordText.h"

namespace vantrel {

namespace {

using std::chrono::milliseconds;

// Enough nights for a median without reading a year of journals at each start.
constexpr std::size_t kDaysRead = 60;
constexpr std::size_t kScriptColumn = 1;
constexpr std::size_t kSecondsColumn = 5;

std::vector<std::filesystem::path> RecentJournalFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->path().filename().string().starts_with("journal-")) files.push_back(it->path());
    // The file names carry the day, so the last in order are the most recent.
    std::sort(files.begin(), files.end());
    if (files.size() > kDaysRead) files.erase(files.begin(), files.end() - kDaysRead);
    return files;
}

std::optional<milliseconds> DurationFrom(std::string_view seconds) {
    const std::size_t point = seconds.find('.');
    const std::optional<long long> whole = NumberFrom<long long>(seconds.substr(0, point));
    const std::optional<int> tenths =
        point == std::string_view::npos ? 0 : NumberFrom<int>(seconds.substr(point + 1));
    if (!whole || !tenths || *tenths < 0 || *tenths > 9) return std::nullopt;
    return milliseconds(*whole * 1000 + *tenths * 100);
}

milliseconds Median(std::vector<milliseconds> durations) {
    const auto middle = durations.begin() + static_cast<std::ptrdiff_t>(durations.size() / 2);
    std::nth_element(durations.begin(), middle, durations.end());
    if (durations.size() % 2 == 1) return *middle;
    return (*std::max_element(durations.begin(), middle) + *middle) / 2;
}

}  // namespace

ScriptDurations ScriptDurations::FromJournal(const std::filesystem::path& folder) {
    Samples samples;
    for (const std::filesystem::path& file : RecentJournalFiles(folder)) {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        std::getline(in, line);  // the header
        while (std::getline(in, line)) {
            if (line.ends_with('\r')) line.pop_back();
            const std::vector<std::string_view> fields = FieldsOf(line);
            if (fields.size() <= kSecondsColumn) continue;
            if (const std::optional<milliseconds> took = DurationFrom(fields[kSecondsColumn]))
                samples.emplace_back(std::string(fields[kScriptColumn]), *took);
        }
    }
    return ScriptDurations(samples);
}

ScriptDurations::ScriptDurations(const Samples& samples) {
    std::unordered_map<std::string, std::vector<milliseconds>> byScript;
    for (const auto& [script, took] : samples) byScript[script].push_back(took);
    for (auto& [script, durations] : byScript) medians_[script] = Median(std::move(durations));
}

std::optional<milliseconds> ScriptDurations::medianOf(const std::string& scriptPath) const {
    const auto found = medians_.find(scriptPath);
    if (found == medians_.end()) return std::nullopt;
    return found->second;
}

std::optional<milliseconds> EstimateTimeLeft(const std::vector<std::string>& waiting,
                                             const std::vector<GoingScript>& going, int concurrency,
                                             const ScriptDurations& durations) {
    // Each place is free again at the time held for it.
    std::vector<milliseconds> places;
    for (const GoingScript& script : going) {
        const std::optional<milliseconds> median = durations.medianOf(script.scriptPath);
        if (!median) return std::nullopt;
        places.push_back(std::max(*median - script.runningFor, milliseconds(0)));
    }
    places.resize(std::max<std::size_t>(places.size(), static_cast<std::size_t>(std::max(concurrency, 1))));
    for (const std::string& script : waiting) {
        const std::optional<milliseconds> median = durations.medianOf(script);
        if (!median) return std::nullopt;
        *std::min_element(places.begin(), places.end()) += *median;
    }
    return *std::max_element(places.begin(), places.end());
}

std::string TimeLeftText(milliseconds left) {
    const long long minutes = (left.count() + 59'999) / 60'000;
    if (minutes <= 1) return left < std::chrono::seconds(60) ? "Less than a minute left" : "About 1 min left";
    if (minutes < 60) return "About " + std::to_string(minutes) + " min left";
    std::ostringstream text;
    text << "About " << minutes / 60 << " h " << (minutes % 60 < 10 ? "0" : "") << minutes % 60 << " min left";
    return text.str();
}

}  // namespace vantrel
