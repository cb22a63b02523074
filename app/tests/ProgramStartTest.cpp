// Real starts of Vantrel on one X display (Xvfb with openbox), as a person or
// a scheduler makes them: with the stand-in esscmd.exe on PATH, the real
// terminal and the user's store in a temporary home.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "run/WindowList.h"
#include "queue/ProgramState.h"
#include "settings/Store.h"
#include "testing/FileBytes.h"
#include "testing/JournalLines.h"
#include "testing/StandInLog.h"
#include "testing/TempConfigHome.h"
#include "testing/XvfbServer.h"

namespace vantrel::testing {
namespace {

using Arguments = std::vector<std::string>;

class ProgramStartTest : public ::testing::Test {
protected:
    ProgramStartTest() {
        setenv("DISPLAY", server_.display().c_str(), 1);
        std::filesystem::create_directories(bin_);
        std::filesystem::create_symlink(VANTREL_STAND_IN, bin_ / "esscmd.exe");
        setenv("PATH", (bin_.string() + ":" + std::getenv("PATH")).c_str(), 1);
        setenv("ESSCMD_STANDIN_SECONDS", "0.5", 1);
        setenv("ESSCMD_STANDIN_LOG", standInLog_.c_str(), 1);
        windows_ = OpenDesktopWindowList();
    }
    ~ProgramStartTest() override {
        for (const pid_t pid : started_) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    /// Queues scripts that each end with the exit status given for it.
    void queueScriptsEndingWith(const std::vector<int>& statuses) {
        const std::unique_ptr<Store> store = OpenUserStore().store;
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            const std::filesystem::path script = home_.path() / ("calc-" + std::to_string(i + 1) + ".txt");
            std::ofstream(script) << "LOGIN\nRUNCALC\nSTANDIN-EXIT " << statuses[i] << "\n";
            store->createKey(std::string(kQueueRecordKeyPath) + "\\0" + std::to_string(i + 1) + "-" +
                             script.string());
        }
        store->setStringValue(kSettingsKeyPath, "Id", "2");
    }
    pid_t startVantrel(const Arguments& arguments = {}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::vector<char*> argv{const_cast<char*>(VANTREL_PROGRAM)};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            std::freopen(errors_.c_str(), "a", stderr);
            ::execv(VANTREL_PROGRAM, argv.data());
            ::_exit(127);
        }
        started_.push_back(pid);
        return pid;
    }
    std::vector<WindowHandle> vantrelWindows() {
        std::vector<WindowHandle> found;
        for (const TopLevelWindow& window : windows_->topLevelWindows())
            if (window.title == "Vantrel" && !window.hasOwner) found.push_back(window.handle);
        return found;
    }
    /// The exit status once the process has ended, or -1 while it runs on.
    int exitStatusOf(pid_t pid, std::chrono::seconds bound = std::chrono::seconds(20)) {
        int status = 0;
        if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, bound)) return -1;
        std::erase(started_, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string errors() const { return ReadBytes(errors_); }
    StandInLog scriptsRun() const { return StandInLog::Read(standInLog_); }

    TempConfigHome home_;
    std::filesystem::path bin_ = home_.path() / "bin";
    std::filesystem::path standInLog_ = home_.path() / "stand-in.log";
    std::filesystem::path errors_ = home_.path() / "errors.txt";
    XvfbServer server_{XvfbServer::WindowManager::Openbox};
    std::unique_ptr<WindowList> windows_;
    std::vector<pid_t> started_;
};

// A second start brings the window forward and hands it its run, but not one
// that would close it; a window destroyed from outside ends its program.
TEST_F(ProgramStartTest, OneWindowAtATimeTakesTheRunsOfLaterStarts) {
    queueScriptsEndingWith({0});
    const pid_t first = startVantrel();
    ASSERT_TRUE(WaitUntil([&] { return vantrelWindows().size() == 1; }));
    const WindowHandle window = vantrelWindows().front();
    // A request sent before openbox manages the new window is lost, so it is repeated.
    XcbTestClient x(server_.display());
    ASSERT_TRUE(WaitUntil([&] {
        x.requestIconic(static_cast<xcb_window_t>(window));
        x.sync();
        return windows_->isMinimized(window);
    }));
    EXPECT_EQ(exitStatusOf(startVantrel()), 0);
    EXPECT_TRUE(WaitUntil([&] { return !windows_->isMinimized(window); }));
    EXPECT_EQ(vantrelWindows(), std::vector<WindowHandle>{window});

    EXPECT_EQ(exitStatusOf(startVantrel({"--start", "--exit-when-done"})), 3);
    EXPECT_NE(errors().find("runs already"), std::string::npos) << errors();
    EXPECT_TRUE(scriptsRun().started.empty());
    EXPECT_EQ(exitStatusOf(startVantrel({"--start"})), 0);
    EXPECT_TRUE(WaitUntil([&] { return scriptsRun().exitStatuses.size() == 1; }));
    EXPECT_EQ(vantrelWindows().size(), 1u);

    xcb_destroy_window(x.c(), static_cast<xcb_window_t>(window));
    x.sync();
    EXPECT_EQ(exitStatusOf(first), 0);
    startVantrel();
    EXPECT_TRUE(WaitUntil([&] { return vantrelWindows().size() == 1; }));
}

TEST_F(ProgramStartTest, AScheduledRunWithAFailureEndsWithStatus1AndTheJournalHasEveryStatus) {
    queueScriptsEndingWith({0, 3, 0});
    EXPECT_EQ(exitStatusOf(startVantrel({"--start", "--exit-when-done"}), std::chrono::seconds(60)), 1)
        << errors();
    EXPECT_EQ(scriptsRun().started.size(), 3u);
    std::vector<int> journaled;
    for (const std::vector<std::string>& line : JournalLines(home_.journalFolder()))
        journaled.push_back(std::stoi(line.at(6)));
    std::sort(journaled.begin(), journaled.end());
    EXPECT_EQ(journaled, (std::vector<int>{0, 0, 3}));
}

TEST_F(ProgramStartTest, KilledDuringARunAndStartedAgainItCarriesOnAndNoScriptRunsTwice) {
    queueScriptsEndingWith({0, 0, 0, 0, 0});
    OpenUserStore().store->setStringValue(kSettingsKeyPath, "Id", "1");
    setenv("ESSCMD_STANDIN_SECONDS", "1.5", 1);
    const auto killVantrel = [&](pid_t pid) {
        ::kill(pid, SIGKILL);
        EXPECT_EQ(exitStatusOf(pid), 128 + SIGKILL);
    };
    // First while the second script runs, then at moments a random start picks.
    killVantrel([&] {
        const pid_t pid = startVantrel({"--start"});
        EXPECT_TRUE(WaitUntil([&] { return scriptsRun().started.size() == 2; }, std::chrono::seconds(30)));
        return pid;
    }());
    std::mt19937 random(20261207);
    for (int kill = 0; kill < 2; ++kill) {
        const pid_t pid = startVantrel({"--start"});
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution(100, 2500)(random)));
        killVantrel(pid);
    }
    const int status = exitStatusOf(startVantrel({"--start", "--exit-when-done"}), std::chrono::seconds(90));

    const StandInLog ran = scriptsRun();
    std::map<std::string, int> starts;
    for (const std::vector<std::string>& arguments : ran.started) ++starts[arguments.at(0)];
    for (const auto& [script, count] : starts) EXPECT_EQ(count, 1) << script;
    EXPECT_LE(ran.mostAtOnce, 1);
    EXPECT_EQ(ran.exitStatuses.size(), ran.started.size()) << "the last start waits for every script";
    // A kill between writing a launch down and starting it leaves that script
    // taken as started: it never runs twice, and the run says it failed.
    EXPECT_EQ(status, starts.size() == 5 ? 0 : 1) << errors();
    EXPECT_GE(starts.size(), 4u);
}

TEST_F(ProgramStartTest, ARefusedCommandLineOrListFileOrDesktopEndsWithItsStatusAndNoWindow) {
    queueScriptsEndingWith({0, 0});
    const std::string storeBefore = ReadBytes(home_.storeFile());
    const std::filesystem::path binaryList = home_.path() / "binary.lst";
    std::ofstream(binaryList) << std::string("calc\0-1.txt\n", 12);
    struct Case {
        Arguments arguments;
        int exitStatus;
        std::string said;
    };
    const std::vector<Case> cases{
        {{"--concurrency", "9"}, 2, "from 1 to 8"},
        {{"--bogus"}, 2, "unknown option: --bogus"},
        {{"--exit-when-done"}, 2, "needs --start"},
        {{"--import", binaryList.string(), "--start", "--exit-when-done"}, 3, binaryList.string()},
        {{"--import", (home_.path() / "missing.lst").string()}, 3, "missing.lst"},
    };
    for (const Case& refused : cases) {
        std::filesystem::remove(errors_);
        EXPECT_EQ(exitStatusOf(startVantrel(refused.arguments)), refused.exitStatus) << refused.arguments[0];
        EXPECT_NE(errors().find(refused.said), std::string::npos) << errors();
    }
    setenv("DISPLAY", ":no-such-display", 1);
    std::filesystem::remove(errors_);
    EXPECT_EQ(exitStatusOf(startVantrel({"--start"})), 3);
    EXPECT_NE(errors().find("no-such-display"), std::string::npos) << errors();

    EXPECT_TRUE(vantrelWindows().empty());
    EXPECT_TRUE(scriptsRun().started.empty());
    EXPECT_EQ(ReadBytes(home_.storeFile()), storeBefore);
}

}  // namespace
}  // namespace vantrel::testing
