#include "run/RunHistory.h"

#include <cstdio>

namespace vantrel {

namespace {

/// Sorts as it was made and says when, in UTC: 20261207-210415-123.
std::string RunIdFor(WallTime time) {
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{floor<milliseconds>(time - day)};
    char id[32];
    std::snprintf(id, sizeof id, "%04d%02u%02u-%02d%02d%02d-%03d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()),
                  static_cast<int>(clock.subseconds().count()));
    return id;
}

std::string ExitStatusField(const RecordedLaunch& launch) {
    if (!launch.outcome) return {};
    const std::string code = std::to_string(launch.outcome->code);
    return launch.outcome->ending == ScriptOutcome::Ending::Exited ? code : "signal " + code;
}

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

void RunHistory::carryOn(const RunRecord& run) {
    run_ = run;
    run_.launches.clear();
}

void RunHistory::beginUnlessGoing(WallTime now) {
    if (going()) return;
    run_ = RunRecord{RunIdFor(now), now, false, {}};
}

std::filesystem::path RunHistory::outcomeFileFor(int launch) const {
    return record_.folder() / (RunRecordFile::launchName(run_, static_cast<std::size_t>(launch)) + ".outcome");
}

std::filesystem::path RunHistory::logFileFor(int launch) const {
    return logs_ / (RunRecordFile::launchName(run_, static_cast<std::size_t>(launch)) + ".log");
}

void RunHistory::save(const LaunchTracker& tracker) {
    run_.launches = tracker.records();
    record_.save(run_);
}

void RunHistory::finish(const LaunchTracker& tracker) {
    run_.finished = true;
    save(tracker);
    run_ = RunRecord{};
}

void RunHistory::journal(LaunchTracker& tracker, bool unended) {
    for (int id = 0; id < tracker.size(); ++id) {
        const RecordedLaunch& launch = tracker.launch(id).record;
        if (launch.journaled || launch.skipped || (!launch.ended() && !unended)) continue;
        journal_.append({launch.entryText, launch.key.scriptPath, launch.startedAt,
                         launch.windowSeenAt, launch.endedAt, ExitStatusField(launch),
                         Utf8Of(launch.logFile)});
        tracker.markJournaled(id);
    }
    save(tracker);
}

}  // namespace vantrel
