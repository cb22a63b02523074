// The Linux launcher with the real xterm and the stand-in esscmd.exe on a
// private Xvfb without a window manager, and the stand-in run on its own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "run/Launcher.h"
#include "run/WindowList.h"
#include "run/WindowTitleSearch.h"
#include "testing/StandInLog.h"
#include "testing/TempConfigHome.h"
#include "testing/XvfbServer.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using testing::StandInLog;
using testing::WaitUntil;

std::string CommandLine(const std::string& script) { return kScriptTool + (" \"" + script + "\""); }

/// PATH starts with a folder holding esscmd.exe, a link to the stand-in;
/// DISPLAY is a private X server.
class LaunchTest : public ::testing::Test {
protected:
    LaunchTest() {
        std::filesystem::create_directory(bin_);
        std::filesystem::create_symlink(VANTREL_STAND_IN, bin_ / kScriptTool);
        setenv("PATH", (bin_.string() + ":" + path_).c_str(), 1);
        setenv("DISPLAY", server_.display().c_str(), 1);
        setenv("ESSCMD_STANDIN_LOG", log_.c_str(), 1);
        windows_ = OpenDesktopWindowList();
    }
    ~LaunchTest() override { setenv("PATH", path_.c_str(), 1); }

    std::string writeScript(const std::string& name, const char* text = "LOGIN;\nLOGOUT;\n") {
        std::ofstream(home_.path() / name) << text;
        return (home_.path() / name).string();
    }
    void start(const std::string& script, const char* seconds) {
        setenv("ESSCMD_STANDIN_SECONDS", seconds, 1);
        CreateLauncher()->startScript(CommandLine(script), script);
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
        EXPECT_FALSE(std::filesystem::exists(log_)) << "the tool ran";
        EXPECT_EQ(toolWindows(), 0);
        EXPECT_FALSE(childToReap());
        return what;
    }

    const std::string path_ = std::getenv("PATH");
    testing::TempConfigHome home_;
    std::filesystem::path bin_ = home_.path() / "bin";
    std::filesystem::path log_ = home_.path() / "stand-in.log";
    testing::XvfbServer server_;
    std::unique_ptr<WindowList> windows_;
};

TEST_F(LaunchTest, PathReachesTheToolAsOneArgumentInAWindowTitledWithTheCommandLine) {
    const std::string script = writeScript("a b \"c\" 'd' $HOME ; `id` \\\nnext line.txt");
    start(script, "2");

    EXPECT_TRUE(WaitUntil([&] { return titled(CommandLine(script)) == 1; }));
    EXPECT_EQ(toolWindows(), 1);
    ASSERT_TRUE(WaitUntil([&] { return StandInLog::Read(log_).exitStatuses.size() == 1; }));
    const StandInLog ran = StandInLog::Read(log_);
    EXPECT_EQ(ran.started, std::vector<std::vector<std::string>>{{script}});
    EXPECT_EQ(ran.exitStatuses, std::vector<int>{0});
    EXPECT_TRUE(WaitUntil([&] { return toolWindows() == 0; })) << "the terminal stayed";
    EXPECT_FALSE(childToReap()) << "the terminal was a child of this process";
}

TEST_F(LaunchTest, ARelativePathStartingWithADashReachesTheToolAsAFileNotAnOption) {
    writeScript("-calc.txt");
    const std::filesystem::path folder = std::filesystem::current_path();
    std::filesystem::current_path(home_.path());
    start("-calc.txt", "0");
    std::filesystem::current_path(folder);
    ASSERT_TRUE(WaitUntil([&] { return StandInLog::Read(log_).exitStatuses.size() == 1; }));
    const StandInLog ran = StandInLog::Read(log_);
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
    EXPECT_TRUE(WaitUntil([&] { return StandInLog::Read(log_).exitStatuses == std::vector{0}; }));
}

TEST_F(LaunchTest, ScriptCannotRetitleItsWindow) {
    const std::string script =
        writeScript("retitle.txt", "\x1b]2;retitled\x07\n\x1b]0;retitled\x1b\\\nLOGOUT;\n");
    start(script, "3");
    // LOGOUT; is logged a whole step after the title sequences were printed.
    ASSERT_TRUE(WaitUntil([&] { return StandInLog::Read(log_).commands.size() == 3; }));
    EXPECT_EQ(titled(CommandLine(script)), 1);
}

TEST_F(LaunchTest, MissingTerminalOrToolIsNamedAndNothingStarts) {
    setenv("PATH", bin_.c_str(), 1);
    EXPECT_THAT(launchError(), HasSubstr("xterm was not found on the search path"));

    std::filesystem::remove(bin_ / kScriptTool);
    std::ofstream(bin_ / "xterm") << "#!/bin/sh\n";
    std::filesystem::permissions(bin_ / "xterm", std::filesystem::perms::owner_all);
    EXPECT_THAT(launchError(), HasSubstr("esscmd.exe was not found on the search path"));
}

/// The stand-in run directly: its exit status and all it wrote.
std::pair<int, std::string> RunStandIn(const std::string& script) {
    const std::string command =
        "ESSCMD_STANDIN_LOG= ESSCMD_STANDIN_SECONDS=0 '" VANTREL_STAND_IN "' '" + script + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    for (int c; (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
    return {pclose(pipe), output};
}

TEST(StandInTest, RunsTheScriptPrintingEachCommand) {
    testing::TempConfigHome home;
    const std::string script = (home.path() / "calc q1.txt").string();
    std::ofstream(script) << "LOGIN \"essbase01\";\r\n\nLOGOUT;";  // no line end at the end
    const auto [status, output] = RunStandIn(script);
    EXPECT_EQ(status, 0) << output;
    EXPECT_THAT(output, HasSubstr("Local>LOGIN \"essbase01\";\nLocal>LOGOUT;\n"));
}

TEST(StandInTest, AnArgumentStartingWithADashIsAnUnknownOption) {
    const auto [status, output] = RunStandIn("-calc.txt");
    EXPECT_NE(status, 0);
    EXPECT_THAT(output, HasSubstr("unknown option: -calc.txt"));
}

TEST(StandInTest, MissingScriptFileIsNamedAndFails) {
    const auto [status, output] = RunStandIn("/nonexistent/calc q1.txt");
    EXPECT_NE(status, 0);
    EXPECT_THAT(output, HasSubstr("script file not found: /nonexistent/calc q1.txt"));
}

}  // namespace
}  // namespace vantrel
