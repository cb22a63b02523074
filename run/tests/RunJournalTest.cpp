// The run journal on real files: what a spreadsheet reading it gets, across
// program starts and local days, and what happens where it cannot be written.
// CTest runs these again in zones from UTC-12 to UTC+14.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "queue/LocalTime.h"
#include "run/RunJournal.h"
#include "testing/FileBytes.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;

/// The moment the local clock shows that time of that day of December 2026.
WallTime LocalDecember(int day, int hour, int minute = 0, int second = 0) {
    std::tm fields{};
    fields.tm_year = 2026 - 1900;
    fields.tm_mon = 11;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&fields));
}

class RunJournalTest : public ::testing::Test {
protected:
    testing::TempFolder temp;
    std::filesystem::path folder = temp.path() / "state" / "vantrel";
    WallTime noon = LocalDecember(6, 12);

    JournalLine line(std::string entryText, WallTime startedAt) {
        return {entryText, entryText.substr(3), startedAt, startedAt + 1s, startedAt + 61s, "3",
                "/logs/x\ty.log"};
    }
};

TEST_F(RunJournalTest, EachDayHasAFileWithOneHeaderAndOneLinePerScriptAcrossProgramStarts) {
    RunJournal(folder).append(line("01-/calc/a.txt", noon));
    RunJournal journal(folder);
    journal.append(line("02-/calc/b.txt", noon + 2h));
    journal.append({"03-/calc/c.txt", "/calc/c.txt", noon + 3h, std::nullopt, std::nullopt, "", ""});
    journal.append(line("04-/calc/d.txt", noon + 24h));

    const auto iso = [](WallTime time) { return IsoLocalTime(time); };
    EXPECT_EQ(journal.fileFor(noon), folder / "journal-2026-12-06.tsv");
    EXPECT_EQ(journal.fileFor(LocalDecember(6, 0)), journal.fileFor(LocalDecember(6, 23, 59, 59)));
    EXPECT_EQ(journal.fileFor(LocalDecember(7, 0)), folder / "journal-2026-12-07.tsv");
    EXPECT_TRUE(iso(noon).starts_with("2026-12-06T12:00:00")) << iso(noon);
    EXPECT_EQ(testing::ReadBytes(folder / "journal-2026-12-06.tsv"),
              std::string(kJournalHeader) + "\r\n" +
                  "01-/calc/a.txt\t/calc/a.txt\t" + iso(noon) + "\t" + iso(noon + 1s) + "\t" +
                  iso(noon + 61s) + "\t61.0\t3\t/logs/x y.log\r\n" +
                  "02-/calc/b.txt\t/calc/b.txt\t" + iso(noon + 2h) + "\t" + iso(noon + 2h + 1s) +
                  "\t" + iso(noon + 2h + 61s) + "\t61.0\t3\t/logs/x y.log\r\n" +
                  "03-/calc/c.txt\t/calc/c.txt\t" + iso(noon + 3h) + "\t\t\t\t\t\r\n");
    EXPECT_EQ(testing::ReadBytes(folder / "journal-2026-12-07.tsv"),
              std::string(kJournalHeader) + "\r\n" + "04-/calc/d.txt\t/calc/d.txt\t" +
                  iso(noon + 24h) + "\t" + iso(noon + 24h + 1s) + "\t" + iso(noon + 24h + 61s) +
                  "\t61.0\t3\t/logs/x y.log\r\n");
}

TEST_F(RunJournalTest, TabsAndLineEndsInPathsBecomeSpacesAndOtherBytesStay) {
    RunJournal journal(folder);
    const std::string odd = "01-/s/a\tb\nc\rd \xC3\xA9 \xFF \"q\" =1+1";
    journal.append(line(odd, noon));
    const std::string text = testing::ReadBytes(journal.fileFor(noon));
    const std::string body = text.substr(text.find("\r\n") + 2);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\t'), 7);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 1);
    EXPECT_TRUE(body.starts_with("01-/s/a b c d \xC3\xA9 \xFF \"q\" =1+1\t/s/a b c d"));
}

TEST_F(RunJournalTest, SecondsAreTenthsAndNeverBelowZero) {
    EXPECT_EQ(SecondsText(12345ms), "12.3");
    EXPECT_EQ(SecondsText(60ms), "0.1");
    EXPECT_EQ(SecondsText(0ms), "0.0");
    EXPECT_EQ(SecondsText(-3s), "0.0");
    EXPECT_EQ(SecondsText(std::chrono::hours(30)), "108000.0");
}

TEST_F(RunJournalTest, AFolderThatCannotBeMadeOrAFileThatIsAFolderIsAnError) {
    std::ofstream(temp.path() / "state") << "a file where the folder should be";
    try {
        RunJournal(folder).append(line("01-/a", noon));
        FAIL() << "no error";
    } catch (const JournalError& error) {
        EXPECT_NE(std::string(error.what()).find(folder.string()), std::string::npos);
    }
    std::filesystem::remove(temp.path() / "state");

    RunJournal journal(folder);
    std::filesystem::create_directories(journal.fileFor(noon));
    EXPECT_THROW(journal.append(line("01-/a", noon)), JournalError);
    EXPECT_NO_THROW(journal.append(line("01-/a", noon + 24h)));
}

}  // namespace
}  // namespace vantrel
