// The Linux launcher with the real xterm, the real script runner and the
// stand-in esscmd.exe on a private Xvfb without a window manager.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "run/Launcher.h"
#include "run/ScriptOutcome.h"
#include "run/WindowList.h"
#include "run/WindowTitleSearch.h"
#include "testing/FileBytes.h"
#include "testing/StandInLog.h"
#include "testing/TempConfigHome.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using testing::StandInLog;
using testing::WaitUntil;
using Ending = ScriptOutcome::Ending;

std::string CommandLine(const std::string& script) { return kScriptTool + (" \"" + script + "\""); }

/// What the stand-in prints for a script of these commands.
std::string StandInOutput(const std::string& script, const std::vector<std::string>& commands) {
    std::string output = "Essbase command-line client stand-in (esscmd.exe), for Vantrel\n"
                         "Running script: " + script + "\n\n";
    for (const std::string& command : commands) output += "Local>" + command + "\n";
    return output + "\nScript finished: " + std::to_string(commands.size()) + " commands.\n";
}

/// PATH starts with a folder holding esscmd.exe, a link to the stand-in;
/// DISPLAY is a private X server.
class LaunchTest : public ::testing::Test {
protected:
    LaunchTest() {
        std::filesystem::create_directory(bin_);
        std::filesystem::create_symlink(VANTREL_STAND_IN, bin_ / kScriptTool);
        setenv("PATH", (bin_.string() + ":" + path_).c_str(), 1);
        setenv("DISPLAY", server_.display().c_str(), 1);
        setenv("ESSCMD_STANDIN_LOG", standInLog_.c_str(), 1);
        unsetenv("ESSCMD_STANDIN_EXIT");
        windows_ = OpenDesktopWindowList();
    }
    ~LaunchTest() override { setenv("PATH", path_.c_str(), 1); }

    std::string writeScript(const std::string& name, const std::string& text = "LOGIN;\nLOGOUT;\n") {
        testing::WriteBytes(home_.path() / name, text);
        return (home_.path() / name).string();
    }
    ProcessIdentity start(const std::string& script, const char* seconds) {
        setenv("ESSCMD_STANDIN_SECONDS", seconds, 1);
        return launcher_->startScript({CommandLine(script), script, outcome_, log_});
    }
    std::optional<ScriptOutcome> outcomeOnceWritten() {
        WaitUntil([&] { return std::filesystem::exists(outcome_); });
        return ReadOutcomeFile(outcome_);
    }
    long titled(const std::string& title) {
        return std::ranges::count(windows_->topLevelWindows(), title, &TopLevelWindow::title);
    }
    std::int32_t toolWindows() {
        return WindowTitleSearch::countMatchingWindows(*windows_, kScriptTool, MatchMode::Contains);
    }
    bool childToReap() {
        return WaitUntil([] { return waitpid(-1, nullptr, WNOHANG) > 0; }, std::chrono::seconds(1));
    }

    /// What the LaunchError of a start says; nothing may have been started.
    std::string launchError() {
        std::string what = "no LaunchError";
        try {
            start(writeScript("calc.txt"), "0");
        } catch (const LaunchError& error) {
            what = error.what();
        }
        EXPECT_FALSE(std::filesystem::exists(standInLog_)) << "the tool ran";
        EXPECT_EQ(toolWindows(), 0);
        EXPECT_FALSE(childToReap());
        return what;
    }

    const std::string path_ = std::getenv("PATH");
    testing::TempConfigHome home_;
    std::filesystem::path bin_ = home_.path() / "bin";
    std::filesystem::path standInLog_ = home_.path() / "stand-in.log";
    std::filesystem::path outcome_ = home_.path() / "launches" / "1.outcome";
    std::filesystem::path log_ = home_.path() / "launches" / "1.log";
    testing::XvfbServer server_;
    std::unique_ptr<WindowList> windows_;
    std::unique_ptr<Launcher> launcher_ = CreateLauncher(VANTREL_RUNNER);
};

TEST_F(LaunchTest, ScriptRunsInAWindowTitledWithTheCommandLineAndItsStatusAndOutputAreKept) {
    const std::string script = writeScript("a b \"c\" 'd' $HOME ; `id` \\\nnext line.txt");
    setenv("ESSCMD_STANDIN_EXIT", "3", 1);
    const ProcessIdentity terminal = start(script, "2");

    EXPECT_TRUE(WaitUntil([&] { return titled(CommandLine(script)) == 1; }));
    EXPECT_EQ(toolWindows(), 1);
    EXPECT_TRUE(launcher_->isRunning(terminal));
    EXPECT_FALSE(launcher_->isRunning({terminal.id, terminal.startMark + 1})) << "another process, same id";
    const std::optional<ScriptOutcome> outcome = outcomeOnceWritten();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->ending, Ending::Exited);
    EXPECT_EQ(outcome->code, 3);
    EXPECT_EQ(outcome->logProblem, "");
    EXPECT_EQ(testing::ReadBytes(log_), StandInOutput(script, {"LOGIN;", "LOGOUT;"}));
    const StandInLog ran = StandInLog::Read(standInLog_);
    EXPECT_EQ(ran.started, std::vector<std::vector<std::string>>{{script}});
    EXPECT_EQ(ran.exitStatuses, std::vector<int>{3});
    EXPECT_TRUE(WaitUntil([&] { return toolWindows() == 0; })) << "the terminal stayed";
    EXPECT_TRUE(WaitUntil([&] { return !launcher_->isRunning(terminal); }));
    EXPECT_FALSE(IsProcessAlive(terminal));
    EXPECT_FALSE(childToReap()) << "the terminal was a child of this process";
}

// The tool here copies its script file to its output: long lines, every byte
// value, no line end at the end.
TEST_F(LaunchTest, OutputReachesTheLogByteForByte) {
    std::filesystem::remove(bin_ / kScriptTool);
    testing::WriteBytes(bin_ / kScriptTool, "#!/bin/sh\nexec cat \"$1\"\n");
    std::filesystem::permissions(bin_ / kScriptTool, std::filesystem::perms::owner_all);
    std::string bytes(100000, 'x');
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    std::mt19937 random(17);
    for (int i = 0; i < 50000; ++i) bytes += static_cast<char>(random() % 256);
    bytes += "no line end";
    start(writeScript("bytes.txt", bytes), "0");

    const std::optional<ScriptOutcome> outcome = outcomeOnceWritten();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->code, 0);
    EXPECT_TRUE(testing::ReadBytes(log_) == bytes) << testing::ReadBytes(log_).size() << " bytes";
}

TEST_F(LaunchTest, ALogThatCannotBeWrittenLeavesTheScriptRunningAndTheOutcomeSaysSo) {
    testing::WriteBytes(home_.path() / "launches", "a file where the folder should be");
    outcome_ = home_.path() / "outcomes" / "1.outcome";
    start(writeScript("calc.txt"), "0");

    const std::optional<ScriptOutcome> outcome = outcomeOnceWritten();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->code, 0);
    EXPECT_EQ(outcome->logProblem, "the log " + log_.string() + " cannot be written: Not a directory");
    EXPECT_EQ(StandInLog::Read(standInLog_).exitStatuses, std::vector<int>{0});
}

TEST_F(LaunchTest, KillingTheTerminalEndsTheScriptAndTheOutcomeRecordsTheHangUp) {
    const ProcessIdentity terminal = start(writeScript("calc.txt"), "60");
    ASSERT_TRUE(WaitUntil([&] { return StandInLog::Read(standInLog_).started.size() == 1; }));
    ASSERT_EQ(kill(static_cast<pid_t>(terminal.id), SIGKILL), 0);

    const std::optional<ScriptOutcome> outcome = outcomeOnceWritten();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->ending, Ending::Signalled);
    EXPECT_EQ(outcome->code, SIGHUP);
    EXPECT_EQ(StandInLog::Read(standInLog_).exitStatuses, std::vector<int>{128 + SIGHUP});
    EXPECT_TRUE(WaitUntil([&] { return toolWindows() == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return !launcher_->isRunning(terminal); }));
}

TEST_F(LaunchTest, ARelativePathStartingWithADashReachesTheToolAsAFileNotAnOption) {
    writeScript("-calc.txt");
    const std::filesystem::path folder = std::filesystem::current_path();
    std::filesystem::current_path(home_.path());
    start("-calc.txt", "0");
    std::filesystem::current_path(folder);
    ASSERT_TRUE(WaitUntil([&] { return StandInLog::Read(standInLog_).exitStatuses.size() == 1; }));
    const StandInLog ran = StandInLog::Read(standInLog_);
    EXPECT_EQ(ran.started, std::vector<std::vector<std::string>>{{"./-calc.txt"}});
    EXPECT_EQ(ran.exitStatuses, std::vector<int>{0});
}

TEST_F(LaunchTest, TerminalOutlivesTheProcessThatStartedIt) {
    const std::string script = writeScript("calc.txt");
    const pid_t launcher = fork();
    if (launcher == 0) {
        start(script, "1");  // an exception aborts
        _exit(0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(launcher, &status, 0), launcher);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(WaitUntil([&] { return StandInLog::Read(standInLog_).exitStatuses == std::vector{0}; }));
}

TEST_F(LaunchTest, ScriptCannotRetitleItsWindow) {
    const std::string script =
        writeScript("retitle.txt", "\x1b]2;retitled\x07\n\x1b]0;retitled\x1b\\\nLOGOUT;\n");
    start(script, "3");
    // LOGOUT; is logged a whole step after the title sequences were printed.
    ASSERT_TRUE(WaitUntil([&] { return StandInLog::Read(standInLog_).commands.size() == 3; }));
    EXPECT_EQ(titled(CommandLine(script)), 1);
}

TEST_F(LaunchTest, MissingTerminalToolOrRunnerIsNamedAndNothingStarts) {
    std::filesystem::create_symlink("/usr/bin/xterm", bin_ / "xterm");
    setenv("PATH", bin_.c_str(), 1);
    const std::string missingRunner = (home_.path() / "vantrel-script").string();
    try {
        CreateLauncher(missingRunner)->startScript({CommandLine("a.txt"), "a.txt", outcome_, log_});
        ADD_FAILURE() << "started without a runner";
    } catch (const LaunchError& error) {
        EXPECT_THAT(error.what(), HasSubstr("The script runner " + missingRunner + " is missing"));
    }

    std::filesystem::remove(bin_ / "xterm");
    EXPECT_THAT(launchError(), HasSubstr("xterm was not found on the search path"));

    std::filesystem::remove(bin_ / kScriptTool);
    std::ofstream(bin_ / "xterm") << "#!/bin/sh\n";
    std::filesystem::permissions(bin_ / "xterm", std::filesystem::perms::owner_all);
    EXPECT_THAT(launchError(), HasSubstr("esscmd.exe was not found on the search path"));
}

}  // namespace
}  // namespace vantrel
