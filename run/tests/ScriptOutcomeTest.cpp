// The outcome file that the script runner leaves and Vantrel reads: what is
// taken for an outcome, and how it replaces an older one.
#include <gtest/gtest.h>

#include "run/AtomicFile.h"
#include "run/ScriptOutcome.h"
#include "testing/FileBytes.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using Ending = ScriptOutcome::Ending;

const WallTime kEnd{1796631000123ms};

TEST(ScriptOutcomeTest, OnlyAWholeOutcomeOfThisVersionIsRead) {
    const std::optional<ScriptOutcome> none;
    const struct {
        std::string text;
        std::optional<ScriptOutcome> read;
    } cases[] = {
        {"vantrel-outcome 1\nexited 3\nended 1796631000123\nlog written\n",
         ScriptOutcome{Ending::Exited, 3, kEnd, ""}},
        {"vantrel-outcome 1\nsignalled 1\nended 0\nlog-problem a\\\\b\\nc\\rd\n",
         ScriptOutcome{Ending::Signalled, 1, WallTime{}, "a\\b\nc\rd"}},
        {"vantrel-outcome 1\nexited -1073741510\nended 5\nlog written\n",
         ScriptOutcome{Ending::Exited, -1073741510, WallTime{5ms}, ""}},
        // cut short, at each line and inside one
        {"", none},
        {"vantrel-outcome 1\n", none},
        {"vantrel-outcome 1\nexited 3\nended 1796631000123\n", none},
        {"vantrel-outcome 1\nexited 3\nended 1796631000123\nlog written", none},
        {"vantrel-outcome 1\nexited 3\nended 17966", none},
        // damaged
        {"vantrel-outcome 1\nexited three\nended 1\nlog written\n", none},
        {"vantrel-outcome 1\nexited 3 \nended 1\nlog written\n", none},
        {"vantrel-outcome 1\nexited +3\nended 1\nlog written\n", none},
        {"vantrel-outcome 1\nexited 99999999999\nended 1\nlog written\n", none},
        {"vantrel-outcome 1\nended 1\nexited 3\nlog written\n", none},
        {"vantrel-outcome 1\nexited 3\nended 1\nlog-problem \n", none},
        {"vantrel-outcome 1\nexited 3\nended 1\nlog-problem a\\qb\n", none},
        {"vantrel-outcome 1\nexited 3\nended 1\nlog written\nlog written\n", none},
        {"vantrel-outcome 1\r\nexited 3\r\nended 1\r\nlog written\r\n", none},
        {"vantrel-outcome 1\nexited 3\0\nended 1\nlog written\n"s, none},
        // foreign: another version, another program's file
        {"vantrel-outcome 2\nexited 3\nended 1\nlog written\n", none},
        {"\xEF\xBB\xBFvantrel-outcome 1\nexited 3\nended 1\nlog written\n", none},
        {"#!/bin/sh\nexit 3\n", none},
    };
    for (const auto& [text, read] : cases) {
        EXPECT_EQ(ParseOutcome(text), read) << text;
        if (read) {
            EXPECT_EQ(FormatOutcome(*read), text);
        }
    }
}

TEST(ScriptOutcomeTest, AWrittenOutcomeReplacesTheOldOneWholeAndLeavesNoOtherFile) {
    testing::TempFolder temp;
    const std::filesystem::path file = temp.path() / "launch.outcome";
    EXPECT_EQ(ReadOutcomeFile(file), std::nullopt);
    testing::WriteBytes(file, std::string(100000, 'x'));
    EXPECT_EQ(ReadOutcomeFile(file), std::nullopt);

    const ScriptOutcome outcome{Ending::Exited, 3, kEnd, "the log cannot be written: disk full"};
    WriteOutcomeFile(file, outcome);
    EXPECT_EQ(ReadOutcomeFile(file), outcome);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);

    EXPECT_EQ(ReadOutcomeFile(temp.path()), std::nullopt) << "a folder";
    EXPECT_THROW(ReplaceFileAtomically(temp.path() / "missing" / "launch.outcome", "x"), FileWriteError);
    // A folder in the file's place stays as it is.
    std::filesystem::create_directory(temp.path() / "folder");
    EXPECT_THROW(WriteOutcomeFile(temp.path() / "folder", outcome), FileWriteError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 2);
}

}  // namespace
}  // namespace vantrel
