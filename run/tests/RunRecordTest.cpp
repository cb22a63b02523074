// The record of a run that the next start resumes from: it reads back as it
// was written, whatever the paths hold, and nothing else is taken for one.
#include <gtest/gtest.h>

#include "run/RunRecord.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using Ending = ScriptOutcome::Ending;

const WallTime kStart{1796631000123ms};

RecordedLaunch Launch(std::string path, int occurrence) {
    RecordedLaunch launch;
    launch.entryText = "01-" + path;
    launch.key = {path, occurrence};
    launch.startedAt = kStart + 1s;
    launch.outcomeFile = "/state/runs/" + path + ".outcome";
    launch.logFile = "/state/logs/" + path + ".log";
    return launch;
}

// A launch of each kind: ended, skipped, run again and still running.
RunRecord ARun() {
    RunRecord run{"20261206-200000-123", kStart, false, {}};
    RecordedLaunch ended = Launch("/s/tab\there\nnew line\\back \xC3\xA9", 0);
    ended.process = {4242, 987654321};
    ended.windowSeenAt = kStart + 2s;
    ended.endedAt = kStart + 9s;
    ended.outcome = ScriptOutcome{Ending::Exited, 3, kStart + 9s, ""};
    ended.journaled = true;
    RecordedLaunch skipped = Launch("/s/a", 0);
    skipped.skipped = true;
    RecordedLaunch runAgain = Launch("/s/a", 1);
    runAgain.endedAt = kStart + 5s;
    runAgain.outcome = ScriptOutcome{Ending::Signalled, 1, kStart + 5s, "disk\tfull"};
    runAgain.superseded = true;
    run.launches = {ended, skipped, runAgain, Launch("/s/b", 0)};
    return run;
}

TEST(RunRecordTest, ARecordReadsBackAsWrittenAndNoTextCutShortOrChangedIsOne) {
    RunRecord run = ARun();
    const std::string text = FormatRunRecord(run);
    EXPECT_EQ(ParseRunRecord(text), run);
    run.finished = true;
    EXPECT_EQ(ParseRunRecord(FormatRunRecord(run)), run);
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::string changed = text;
        changed[at] ^= 1;
        EXPECT_FALSE(ParseRunRecord(changed)) << "byte " << at << " changed";
        EXPECT_FALSE(ParseRunRecord(text.substr(0, at))) << "cut at " << at;
    }
}

}  // namespace
}  // namespace vantrel
