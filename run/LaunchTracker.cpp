#include "run/LaunchTracker.h"

#include <algorithm>
#include <map>

#include "run/WindowTitleSearch.h"

namespace vantrel {

namespace {

std::int32_t WindowsCarrying(const std::vector<TopLevelWindow>& walk, std::string_view commandLine) {
    return WindowTitleSearch::countMatchingWindows(walk, commandLine, MatchMode::Contains);
}

RowProgress EndState(const RecordedLaunch& record) {
    if (record.skipped) return RowProgress::Skipped;
    if (record.outcome)
        return record.outcome->ending == ScriptOutcome::Ending::Exited && record.outcome->code == 0
                   ? RowProgress::Done
                   : RowProgress::Failed;
    return record.windowSeenAt ? RowProgress::Failed : RowProgress::NotShown;
}

std::string EndingText(const RecordedLaunch& record) {
    if (!record.outcome) return record.ended() ? "how it ended is not known" : "";
    const ScriptOutcome& outcome = *record.outcome;
    std::string text = outcome.ending == ScriptOutcome::Ending::Exited
                           ? "exit status " + std::to_string(outcome.code)
                           : "stopped from outside (" + std::to_string(outcome.code) + ")";
    if (!outcome.logProblem.empty()) text += "; its log could not be written: " + outcome.logProblem;
    return text;
}

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string CommandLine(std::string_view scriptPath) {
    return std::string(kScriptTool) + " \"" + std::string(scriptPath) + "\"";
}

ScriptProgress ProgressOf(const LaunchTracker::Launch& launch, int id) {
    ScriptProgress progress;
    progress.state = launch.state;
    progress.launch = id;
    progress.startedAt = launch.record.startedAt;
    progress.endedAt = launch.record.endedAt.value_or(WallTime{});
    progress.ending = EndingText(launch.record);
    if (!launch.record.skipped) progress.logFile = Utf8Of(launch.record.logFile);
    return progress;
}

int LaunchTracker::add(RecordedLaunch record, const std::vector<TopLevelWindow>& walk) {
    Launch launch;
    launch.commandLine = CommandLine(record.key.scriptPath);
    launch.windowsBefore = WindowsCarrying(walk, launch.commandLine);
    launch.launchedAs = ++events_;
    launch.record = std::move(record);
    launches_.push_back(std::move(launch));
    return size() - 1;
}

int LaunchTracker::adopt(RecordedLaunch record) {
    Launch launch;
    launch.commandLine = CommandLine(record.key.scriptPath);
    launch.launchedAs = ++events_;
    if (record.ended()) {
        launch.state = EndState(record);
    } else if (record.windowSeenAt) {
        launch.state = RowProgress::Running;
        launch.seenAs = ++events_;
    }
    launch.record = std::move(record);
    launches_.push_back(std::move(launch));
    return size() - 1;
}

int LaunchTracker::skip(RecordedLaunch record) {
    record.skipped = true;
    Launch launch;
    launch.record = std::move(record);
    launch.state = RowProgress::Skipped;
    launches_.push_back(std::move(launch));
    return size() - 1;
}

bool LaunchTracker::processLives(const Launch& launch,
                                 const std::vector<TopLevelWindow>& walk) const {
    if (launch.record.process.id != 0) return launcher_.isRunning(launch.record.process);
    // Cut short between its record and its start: whether it started at all
    // only its window and its runner can tell.
    return !ReadOutcomeFile(launch.record.outcomeFile) &&
           WindowsCarrying(walk, launch.commandLine) > 0;
}

void LaunchTracker::settle(Launch& launch, WallTime now) {
    RecordedLaunch& record = launch.record;
    record.outcome = ReadOutcomeFile(record.outcomeFile);
    record.endedAt = record.outcome ? record.outcome->endedAt : now;
    launch.state = EndState(record);
}

std::vector<int> LaunchTracker::follow(const std::vector<TopLevelWindow>& walk, WallTime now) {
    std::vector<int> changed;
    for (int id = 0; id < size(); ++id) {
        Launch& launch = launches_[id];
        if (!launch.running()) continue;
        const RowProgress before = launch.state;
        if (launch.state == RowProgress::Started && unclaimedWindows(walk, id) > 0) {
            launch.seenAs = ++events_;
            launch.record.windowSeenAt = now;
            launch.state = RowProgress::Running;
        }
        if (!processLives(launch, walk)) settle(launch, now);
        if (launch.state != before) changed.push_back(id);
    }
    return changed;
}

std::int32_t LaunchTracker::unclaimedWindows(const std::vector<TopLevelWindow>& walk, int id) const {
    // A window of the same script that showed after this launch may be
    // another launch's, queued twice; once that one has been seen, it is not
    // taken for this one's too.
    const Launch& launch = launches_[id];
    const auto claimed = std::count_if(launches_.begin(), launches_.end(), [&](const Launch& other) {
        return &other != &launch && other.state == RowProgress::Running &&
               other.commandLine == launch.commandLine && other.seenAs > launch.launchedAs;
    });
    return WindowsCarrying(walk, launch.commandLine) - launch.windowsBefore -
           static_cast<std::int32_t>(claimed);
}

std::int32_t LaunchTracker::runningWithoutWindow(const std::vector<TopLevelWindow>& walk) const {
    std::int32_t unseen = 0;
    std::map<std::string, std::int32_t> seen;
    for (const Launch& launch : launches_) {
        if (launch.state == RowProgress::Started) ++unseen;
        if (launch.state == RowProgress::Running) ++seen[launch.commandLine];
    }
    // Scripts seen running whose windows have gone while they live (tabs of one window).
    for (const auto& [commandLine, count] : seen)
        unseen += std::max(0, count - WindowsCarrying(walk, commandLine));
    return unseen;
}

bool LaunchTracker::anyRunning() const {
    return std::any_of(launches_.begin(), launches_.end(),
                       [](const Launch& launch) { return launch.running(); });
}

int LaunchTracker::runningCount() const {
    return static_cast<int>(std::count_if(launches_.begin(), launches_.end(),
                                          [](const Launch& launch) { return launch.running(); }));
}

std::vector<RecordedLaunch> LaunchTracker::records() const {
    std::vector<RecordedLaunch> records;
    for (const Launch& launch : launches_) records.push_back(launch.record);
    return records;
}

}  // namespace vantrel
