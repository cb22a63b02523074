// The Linux launcher with the real xterm and the real stand-in esscmd.exe, on
// a private X server without a window manager.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run/Launcher.h"
#include "run/tests/LaunchTestSupport.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using vantrel::testing::FindRecord;
using vantrel::testing::PrivateXServer;
using vantrel::testing::ReadProcessStat;
using vantrel::testing::ScopedEnv;
using vantrel::testing::StandInRecord;
using vantrel::testing::TempFolder;
using vantrel::testing::WaitUntil;
using vantrel::testing::WriteFile;
using vantrel::testing::XConnection;
using vantrel::testing::XWindow;

std::string CommandLineFor(const std::string& scriptPath) {
    return std::string(kScriptTool) + " \"" + scriptPath + "\"";
}

std::string OriginalSearchPath() {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "/usr/bin:/bin";
}

/// PATH starts with a folder that holds links named esscmd.exe (to the
/// stand-in) and xterm; DISPLAY is a private X server.
class LaunchTest : public ::testing::Test {
protected:
    LaunchTest()
        : bin_(folder_.path() / "bin"),
          xterm_(testing::FindProgram("xterm", OriginalSearchPath())),
          path_("PATH", bin_.string() + ":" + OriginalSearchPath()),
          display_("DISPLAY", x_.display()),
          log_("ESSCMD_STANDIN_LOG", log().string()),
          errorPause_("ESSCMD_STANDIN_ERROR_PAUSE", "0"),
          seconds_("ESSCMD_STANDIN_SECONDS", "0"),
          windows_(x_.display()) {
        std::filesystem::create_directory(bin_);
        std::filesystem::create_symlink(VANTREL_STAND_IN, bin_ / kScriptTool);
        std::filesystem::create_symlink(xterm_, bin_ / "xterm");
    }

    std::filesystem::path log() const { return folder_.path() / "stand-in.log"; }

    void setSeconds(const std::string& seconds) {
        setenv("ESSCMD_STANDIN_SECONDS", seconds.c_str(), 1);
    }
    void setSearchPath(const std::string& path) { setenv("PATH", path.c_str(), 1); }

    std::filesystem::path writeScript(const std::filesystem::path& path,
                                      const std::string& text = "LOGIN \"essbase01\";\nLOGOUT;\n") {
        std::filesystem::create_directories(path.parent_path());
        WriteFile(path, text);
        return path;
    }

    std::optional<StandInRecord> waitForRecord(const std::string& event) {
        std::optional<StandInRecord> record;
        WaitUntil([&] { return (record = FindRecord(log(), event)).has_value(); });
        return record;
    }

    std::vector<XWindow> windowsTitled(const std::string& title) {
        std::vector<XWindow> found;
        for (const XWindow& window : windows_.topLevelWindows()) {
            if (window.name == title) found.push_back(window);
        }
        return found;
    }

    /// Nothing was started: no record of the stand-in, no terminal window, no child.
    void expectNothingStarted() {
        EXPECT_FALSE(std::filesystem::exists(log()));
        EXPECT_TRUE(windows_.windowsNamed(kScriptTool).empty());
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), 0);
    }

    TempFolder folder_;
    std::filesystem::path bin_;
    std::filesystem::path xterm_;
    PrivateXServer x_;
    ScopedEnv path_;
    ScopedEnv display_;
    ScopedEnv log_;
    ScopedEnv errorPause_;
    ScopedEnv seconds_;
    XConnection windows_;
};

TEST_F(LaunchTest, PathWithShellCharactersReachesTheToolAsOneArgumentByteForByte) {
    const std::filesystem::path script = writeScript(
        folder_.path() / "a b \"c\" 'd' $HOME ; `echo x` $(id) \\ \xC3\xA9\nnext line\t*?" /
        "-x & | > < #.txt");

    CreateLauncher()->startScript(CommandLineFor(script.string()), script.string());

    const std::optional<StandInRecord> end = waitForRecord("end");
    ASSERT_TRUE(end.has_value()) << "the stand-in did not finish";
    const std::optional<StandInRecord> start = FindRecord(log(), "start");
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(start->count, 1);
    EXPECT_EQ(start->arguments, std::vector<std::string>{script.string()});
    EXPECT_EQ(end->count, 0) << "the stand-in could not read the script";
}

TEST_F(LaunchTest, RelativePathWithLeadingDashReachesTheToolUnchanged) {
    writeScript(folder_.path() / "-e calc.txt");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());

    CreateLauncher()->startScript(CommandLineFor("-e calc.txt"), "-e calc.txt");
    std::filesystem::current_path(before);

    const std::optional<StandInRecord> end = waitForRecord("end");
    ASSERT_TRUE(end.has_value()) << "the stand-in did not finish";
    EXPECT_EQ(FindRecord(log(), "start")->arguments, std::vector<std::string>{"-e calc.txt"});
    EXPECT_EQ(end->count, 0);
}

TEST_F(LaunchTest, EmptyScriptPathReachesTheToolAsOneEmptyArgument) {
    CreateLauncher()->startScript(CommandLineFor(""), "");

    const std::optional<StandInRecord> end = waitForRecord("end");
    ASSERT_TRUE(end.has_value()) << "the stand-in did not finish";
    const std::optional<StandInRecord> start = FindRecord(log(), "start");
    EXPECT_EQ(start->count, 1);
    EXPECT_EQ(start->arguments, std::vector<std::string>{""});
    EXPECT_NE(end->count, 0) << "an empty path names no script";
}

TEST_F(LaunchTest, TerminalWindowIsTitledWithTheCommandLineAndDetached) {
    setSeconds("120");
    const std::filesystem::path script =
        writeScript(folder_.path() / "q1 \"final\" 'v2'\n$USER;.txt");
    const std::string commandLine = CommandLineFor(script.string());

    CreateLauncher()->startScript(commandLine, script.string());

    std::vector<XWindow> found;
    ASSERT_TRUE(WaitUntil([&] { return !(found = windowsTitled(commandLine)).empty(); }))
        << "no window titled with the command line";
    ASSERT_EQ(found.size(), 1U);
    EXPECT_THAT(found[0].name, HasSubstr(kScriptTool));
    ASSERT_TRUE(WaitUntil([&] { return windowsTitled(commandLine).at(0).pid.has_value(); }));
    found = windowsTitled(commandLine);

    // The window's process is the terminal in which the stand-in runs.
    const std::optional<StandInRecord> start = waitForRecord("start");
    ASSERT_TRUE(start.has_value());
    const std::optional<testing::ProcessStat> standIn = ReadProcessStat(start->pid);
    ASSERT_TRUE(standIn.has_value());
    EXPECT_EQ(standIn->parent, static_cast<long>(*found[0].pid));

    const std::optional<testing::ProcessStat> terminal = ReadProcessStat(*found[0].pid);
    ASSERT_TRUE(terminal.has_value());
    EXPECT_NE(terminal->parent, static_cast<long>(getpid()));
    EXPECT_NE(terminal->session, static_cast<long>(getsid(0)));
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), 0) << "a child was left to reap";
}

TEST_F(LaunchTest, ClosingTheTerminalEndsTheScript) {
    setSeconds("120");
    const std::filesystem::path script = writeScript(folder_.path() / "long calc.txt");
    const std::string commandLine = CommandLineFor(script.string());
    CreateLauncher()->startScript(commandLine, script.string());
    std::vector<XWindow> found;
    ASSERT_TRUE(WaitUntil([&] {
        found = windowsTitled(commandLine);
        return !found.empty() && found[0].pid.has_value();
    }));
    ASSERT_TRUE(waitForRecord("start").has_value());

    kill(static_cast<pid_t>(*found[0].pid), SIGTERM);

    const std::optional<StandInRecord> end = waitForRecord("end");
    ASSERT_TRUE(end.has_value()) << "the script went on without its terminal";
    EXPECT_NE(end->count, 0);
    EXPECT_TRUE(WaitUntil([&] { return windowsTitled(commandLine).empty(); }));
}

TEST_F(LaunchTest, ScriptOutputCannotChangeTheWindowTitle) {
    setSeconds("4");
    const std::filesystem::path script = writeScript(
        folder_.path() / "retitle.txt", "\x1b]2;retitled\x07\n\x1b]0;retitled\x1b\\\nLOGOUT;\n");
    const std::string commandLine = CommandLineFor(script.string());

    CreateLauncher()->startScript(commandLine, script.string());

    // The last command is logged a whole step after the others were printed.
    ASSERT_TRUE(WaitUntil([&] {
        for (const StandInRecord& record : testing::ReadStandInLog(log())) {
            if (record.event == "command" && record.arguments.at(0) == "LOGOUT;") return true;
        }
        return false;
    }));
    EXPECT_EQ(windowsTitled(commandLine).size(), 1U);
    EXPECT_TRUE(windows_.windowsNamed("retitled").empty());
}

TEST_F(LaunchTest, ScriptRunsToItsEndAndLeavesNoChildToReap) {
    setSeconds("3");
    const std::filesystem::path script = writeScript(folder_.path() / "calc-q1.txt");
    const std::string commandLine = CommandLineFor(script.string());

    CreateLauncher()->startScript(commandLine, script.string());

    // The terminal sets its process id a little after its title.
    std::vector<XWindow> found;
    ASSERT_TRUE(WaitUntil([&] {
        found = windowsTitled(commandLine);
        return !found.empty() && found[0].pid.has_value();
    }));
    const long terminal = *found[0].pid;

    const std::optional<StandInRecord> end = waitForRecord("end");
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->count, 0);
    EXPECT_TRUE(WaitUntil([&] { return windowsTitled(commandLine).empty(); }))
        << "the terminal stayed after the script ended";
    // Once the terminal has ended it is gone, or at worst a zombie of someone else.
    EXPECT_TRUE(WaitUntil([&] {
        const std::optional<testing::ProcessStat> stat = ReadProcessStat(terminal);
        return !stat || stat->state == 'Z';
    }));
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), 0) << "a child was left to reap";
    if (const std::optional<testing::ProcessStat> stat = ReadProcessStat(terminal)) {
        EXPECT_NE(stat->parent, static_cast<long>(getpid()));
    }
}

TEST_F(LaunchTest, ScriptOutlivesTheProcessThatStartedIt) {
    setSeconds("2");
    const std::filesystem::path script = writeScript(folder_.path() / "load-actuals.txt");

    const pid_t launcher = fork();
    ASSERT_GE(launcher, 0);
    if (launcher == 0) {
        try {
            CreateLauncher()->startScript(CommandLineFor(script.string()), script.string());
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(launcher, &status, 0), launcher);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::optional<StandInRecord> end = waitForRecord("end");
    ASSERT_TRUE(end.has_value()) << "the script did not run to its end";
    EXPECT_EQ(end->count, 0);
    EXPECT_EQ(FindRecord(log(), "start")->arguments, std::vector<std::string>{script.string()});
}

TEST_F(LaunchTest, MissingToolIsReportedAndNothingStarts) {
    std::filesystem::remove(bin_ / kScriptTool);
    setSearchPath(bin_.string());
    const std::filesystem::path script = writeScript(folder_.path() / "calc.txt");

    try {
        CreateLauncher()->startScript(CommandLineFor(script.string()), script.string());
        FAIL() << "no LaunchError";
    } catch (const LaunchError& error) {
        EXPECT_THAT(error.what(), HasSubstr("esscmd.exe was not found on the search path"));
        EXPECT_THAT(error.what(), HasSubstr("ESSCMD"));
    }
    expectNothingStarted();
}

TEST_F(LaunchTest, OnlyExecutableFilesOnTheSearchPathCount) {
    const std::filesystem::path folder = folder_.path() / "folder";
    const std::filesystem::path plain = folder_.path() / "plain";
    std::filesystem::create_directories(folder / kScriptTool);
    writeScript(plain / kScriptTool, "#!/bin/sh\nexit 0\n");
    std::filesystem::remove(bin_ / kScriptTool);
    setSearchPath(folder.string() + ":" + plain.string() + ":" + bin_.string());
    const std::filesystem::path script = writeScript(folder_.path() / "calc.txt");

    EXPECT_THROW(CreateLauncher()->startScript(CommandLineFor(script.string()), script.string()),
                 LaunchError);
    expectNothingStarted();

    std::filesystem::create_symlink(VANTREL_STAND_IN, bin_ / kScriptTool);
    setSearchPath(folder.string() + ":" + plain.string() + ":" + bin_.string() + ":" +
                  OriginalSearchPath());
    CreateLauncher()->startScript(CommandLineFor(script.string()), script.string());
    const std::optional<StandInRecord> end = waitForRecord("end");
    ASSERT_TRUE(end.has_value()) << "the stand-in later on the search path did not run";
    EXPECT_EQ(end->count, 0);
}

TEST_F(LaunchTest, MissingTerminalIsReported) {
    std::filesystem::remove(bin_ / "xterm");
    setSearchPath(bin_.string());
    const std::filesystem::path script = writeScript(folder_.path() / "calc.txt");

    try {
        CreateLauncher()->startScript(CommandLineFor(script.string()), script.string());
        FAIL() << "no LaunchError";
    } catch (const LaunchError& error) {
        EXPECT_THAT(error.what(), HasSubstr("xterm was not found on the search path"));
    }
    expectNothingStarted();
}

TEST_F(LaunchTest, TerminalThatCannotBeExecutedIsReported) {
    std::filesystem::remove(bin_ / "xterm");
    writeScript(bin_ / "xterm", "not a program\n");
    std::filesystem::permissions(bin_ / "xterm", std::filesystem::perms::owner_all);
    const std::filesystem::path script = writeScript(folder_.path() / "calc.txt");

    try {
        CreateLauncher()->startScript(CommandLineFor(script.string()), script.string());
        FAIL() << "no LaunchError";
    } catch (const LaunchError& error) {
        EXPECT_THAT(error.what(),
                    HasSubstr("xterm (" + (bin_ / "xterm").string() + ") could not be started"));
    }
    expectNothingStarted();
}

}  // namespace
}  // namespace vantrel
