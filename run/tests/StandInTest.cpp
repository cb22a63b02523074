// The stand-in esscmd.exe run directly, without a terminal.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "run/tests/LaunchTestSupport.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using vantrel::testing::FindRecord;
using vantrel::testing::ReadStandInLog;
using vantrel::testing::RunProgram;
using vantrel::testing::StandInRecord;
using vantrel::testing::TempFolder;
using vantrel::testing::WriteFile;

class StandInTest : public ::testing::Test {
protected:
    testing::ProgramResult run(const std::vector<std::string>& arguments,
                               const std::string& seconds = "0.05") {
        std::vector<std::string> argv = {VANTREL_STAND_IN};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return RunProgram(
            argv, {"ESSCMD_STANDIN_SECONDS=" + seconds, "ESSCMD_STANDIN_LOG=" + log().string()});
    }
    std::filesystem::path log() const { return folder_.path() / "stand-in.log"; }

    TempFolder folder_;
};

TEST_F(StandInTest, PrintsEachCommandOfTheScriptAndEndsWithSuccess) {
    const std::filesystem::path script = folder_.path() / "calc q1.txt";
    WriteFile(script,
              "LOGIN \"essbase01\" \"calcuser\" \"password\";\r\n"
              "\r\n"
              "SELECT \"Sample\" \"Basic\";\n"
              "   \t\n"
              "\n"
              "RUNCALC 2 \"CalcQ1\";\n"
              "LOGOUT;");  // the last line has no line end

    const testing::ProgramResult result = run({script.string()});

    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("Running script: " + script.string() + "\n"));
    EXPECT_THAT(result.output, HasSubstr("Local>LOGIN \"essbase01\" \"calcuser\" \"password\";\n"
                                         "Local>SELECT \"Sample\" \"Basic\";\n"
                                         "Local>RUNCALC 2 \"CalcQ1\";\n"
                                         "Local>LOGOUT;\n"));
    EXPECT_THAT(result.output, Not(HasSubstr("\r")));

    const std::vector<StandInRecord> records = ReadStandInLog(log());
    ASSERT_EQ(records.size(), 6U);
    EXPECT_EQ(records[0].event, "start");
    EXPECT_EQ(records[0].count, 1);
    EXPECT_EQ(records[0].arguments, std::vector<std::string>{script.string()});
    EXPECT_EQ(records[1].arguments,
              std::vector<std::string>{"LOGIN \"essbase01\" \"calcuser\" \"password\";"});
    EXPECT_EQ(records[4].arguments, std::vector<std::string>{"LOGOUT;"});
    EXPECT_EQ(records[5].event, "end");
    EXPECT_EQ(records[5].count, 0);
    for (const StandInRecord& record : records) EXPECT_EQ(record.pid, records[0].pid);
}

TEST_F(StandInTest, MissingScriptFileIsNamedAndEndsWithFailure) {
    const std::string script = (folder_.path() / "no such 'file'.txt").string();

    const testing::ProgramResult result = run({script});

    EXPECT_NE(result.exitStatus, 0);
    EXPECT_THAT(result.output, HasSubstr("script file not found: " + script));
    const std::optional<StandInRecord> end = FindRecord(log(), "end");
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->count, result.exitStatus);
}

TEST_F(StandInTest, FolderIsRefused) {
    const testing::ProgramResult result = run({folder_.path().string()});
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_THAT(result.output, HasSubstr("not a script file: " + folder_.path().string()));
}

TEST_F(StandInTest, UnreadableFileIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::filesystem::path script = folder_.path() / "locked.txt";
    WriteFile(script, "LOGOUT;\n");
    std::filesystem::permissions(script, std::filesystem::perms::none);
    const testing::ProgramResult result = run({script.string()});
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_THAT(result.output, HasSubstr("cannot read the script file: " + script.string()));
}

TEST_F(StandInTest, EveryArgumentIsLoggedExactlyEvenWhenTheCountIsWrong) {
    const std::string odd = "-a \"b\" 'c' $HOME; `d`\n\te\\f \xC3\xA9";

    const testing::ProgramResult result = run({odd, ""});

    EXPECT_NE(result.exitStatus, 0);
    EXPECT_THAT(result.output, HasSubstr("usage: esscmd.exe SCRIPTFILE"));
    const std::optional<StandInRecord> start = FindRecord(log(), "start");
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(start->count, 2);
    EXPECT_EQ(start->arguments, (std::vector<std::string>{odd, ""}));
}

TEST_F(StandInTest, RunTimeThatIsNoNumberIsRefused) {
    const std::filesystem::path script = folder_.path() / "calc.txt";
    WriteFile(script, "LOGOUT;\n");

    const testing::ProgramResult result = run({script.string()}, "3s");

    EXPECT_NE(result.exitStatus, 0);
    EXPECT_THAT(result.output, HasSubstr("ESSCMD_STANDIN_SECONDS"));
}

TEST_F(StandInTest, ShippedSamplesRun) {
    for (const char* name : {"calc-q1.txt", "calc-q2.txt", "load-actuals.txt"}) {
        const std::filesystem::path sample =
            std::filesystem::path(VANTREL_STAND_IN).parent_path() / "samples" / name;
        const testing::ProgramResult result = run({sample.string()}, "0");
        EXPECT_EQ(result.exitStatus, 0) << name << ": " << result.output;
        EXPECT_THAT(result.output, HasSubstr("Local>LOGIN ")) << name;
        EXPECT_THAT(result.output, HasSubstr("Local>LOGOUT;")) << name;
    }
}

}  // namespace
}  // namespace vantrel
