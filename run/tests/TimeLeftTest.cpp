// The time left a run shows: what earlier nights' journals tell of each
// script, and how the places of a run fill up.
#include <gtest/gtest.h>

#include <fstream>

#include "run/RunJournal.h"
#include "run/TimeLeft.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

TEST(TimeLeftTest, DurationsAreTheMedianOfWhatTheJournalKeptAndItsOddLinesArePassedOver) {
    testing::TempFolder folder;
    RunJournal journal(folder.path());
    const auto day = std::chrono::sys_days{std::chrono::year{2026} / 12 / 1} + 20h;
    for (int night = 0; night < 4; ++night) {
        const WallTime start = day + std::chrono::days(night);
        const milliseconds took = std::chrono::minutes(night == 3 ? 50 : 10 + night);
        journal.append({"01-/calc/a.txt", "/calc/a.txt", start, start + 1s, start + took, "0", ""});
    }
    journal.append({"02-/calc/b.txt", "/calc/b.txt", day, day + 1s, std::nullopt, "", ""});
    std::ofstream(journal.fileFor(day), std::ios::app)
        << "03-/c\t/c\tx\tx\tx\t1O.5\t0\t\r\n"
        << "short line\r\n"
        << "04-/d\t/d\tx\tx\tx\t90.25\t0\t\r\n"
        << "05-/e\t/e\tx\tx\tx\t7.5\t0\t\r\n";
    std::ofstream(folder.path() / "notes.tsv") << "06-/f\t/f\tx\tx\tx\t1.0\t0\t\r\n";

    const ScriptDurations durations = ScriptDurations::FromJournal(folder.path());
    EXPECT_EQ(durations.medianOf("/calc/a.txt"), 690s)
        << "the median of 10, 11, 12 and 50 minutes is 11.5";
    for (const char* none : {"/calc/b.txt", "/c", "/d", "/f", "/nowhere"})
        EXPECT_EQ(durations.medianOf(none), std::nullopt) << none;
    EXPECT_EQ(durations.medianOf("/e"), 7500ms);
    EXPECT_EQ(ScriptDurations::FromJournal(folder.path() / "missing").medianOf("/e"), std::nullopt);

    // Of 62 nights' journals only the newest 60 are read.
    testing::TempFolder longer;
    RunJournal nights(longer.path());
    for (int night = 0; night < 62; ++night) {
        const WallTime start = day + std::chrono::days(night);
        const char* script = night < 2 ? "/old" : "/new";
        nights.append({std::string("01-") + script, script, start, start + 1s, start + 1min, "0", ""});
    }
    const ScriptDurations recent = ScriptDurations::FromJournal(longer.path());
    EXPECT_EQ(recent.medianOf("/old"), std::nullopt);
    EXPECT_EQ(recent.medianOf("/new"), 1min);
}

TEST(TimeLeftTest, WaitingScriptsTakeTheFirstPlaceFreeAndAnyUnknownScriptGivesNoEstimate) {
    const ScriptDurations durations({{"/a", 10min}, {"/b", 20min}, {"/c", 5min}});
    const struct {
        std::vector<std::string> waiting;
        std::vector<GoingScript> going;
        int concurrency;
        std::optional<milliseconds> left;
    } cases[] = {
        {{"/a", "/b", "/c"}, {}, 1, 35min},
        {{"/a", "/b", "/c"}, {}, 2, 20min},
        {{"/b", "/a", "/c"}, {}, 2, 20min},
        {{"/a", "/a", "/a"}, {}, 8, 10min},
        {{"/c"}, {{"/b", 18min}}, 1, 7min},
        {{"/c"}, {{"/b", 18min}}, 2, 5min},
        {{}, {{"/a", 25min}}, 1, 0min},  // running longer than ever: ends any moment
        {{"/a", "/x"}, {}, 2, std::nullopt},
        {{"/a"}, {{"/x", 1min}}, 2, std::nullopt},
    };
    for (const auto& run : cases)
        EXPECT_EQ(EstimateTimeLeft(run.waiting, run.going, run.concurrency, durations), run.left)
            << run.waiting.size() << " waiting, " << run.going.size() << " going, N " << run.concurrency;
}

TEST(TimeLeftTest, TheTextRoundsUpToWholeMinutes) {
    const std::pair<milliseconds, const char*> cases[] = {
        {0ms, "Less than a minute left"},      {59s, "Less than a minute left"},
        {60s, "About 1 min left"},             {61s, "About 2 min left"},
        {25min, "About 25 min left"},          {59min + 1s, "About 1 h 00 min left"},
        {2h + 5min, "About 2 h 05 min left"},  {30h, "About 30 h 00 min left"},
    };
    for (const auto& [left, text] : cases) EXPECT_EQ(TimeLeftText(left), text) << left.count();
}

}  // namespace
}  // namespace vantrel
