// The Windows launcher with the real script runner and the stand-in
// esscmd.exe in real consoles under Wine.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <filesystem>

#include "base/WideText_windows.h"
#include "run/CommandLine_windows.h"
#include "run/Launcher.h"
#include "run/RunController.h"
#include "run/ScriptOutcome.h"
#include "run/WindowList.h"
#include "run/WindowTitleSearch.h"
#include "testing/FileBytes.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

using Ending = ScriptOutcome::Ending;
namespace fs = std::filesystem;

bool WaitUntil(const std::function<bool()>& condition) {
    for (int wait = 0; wait < 1000; ++wait, Sleep(20))
        if (condition()) return true;
    return false;
}

fs::path Runner() { return fs::path(VANTREL_RUNNER).make_preferred(); }

/// The build puts the stand-in esscmd.exe beside this program, not in its
/// folder, so only PATH leads to it.
fs::path StandInFolder() {
    wchar_t self[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    return fs::path(self).parent_path() / "stand-in";
}

class LauncherTest : public ::testing::Test {
protected:
    testing::TempFolder temp;
    const fs::path report = temp.path() / "stand-in report.txt";
    fs::path outcome = temp.path() / "launches" / "1.outcome";
    const fs::path log = temp.path() / "launches" / "1.log";

    LauncherTest() {
        SetEnvironmentVariableW(L"PATH", StandInFolder().c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_REPORT", report.c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_EXIT", nullptr);
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", nullptr);
    }

    ProcessIdentity start(const std::string& path, const fs::path& runner = Runner()) {
        return CreateLauncher(runner)->startScript({CommandLine(path), path, outcome, log});
    }
    std::optional<ScriptOutcome> outcomeOnceWritten() {
        WaitUntil([&] { return fs::exists(outcome); });
        return ReadOutcomeFile(outcome);
    }
    static std::int32_t windowsTitled(const std::string& title) {
        return WindowTitleSearch::countMatchingWindows(*OpenDesktopWindowList(), title,
                                                       MatchMode::StartsWith);
    }
};

TEST_F(LauncherTest, AScriptRunsInAMinimizedConsoleTitledWithItsCommandLineAndItsStatusAndOutputAreKept) {
    const std::string path = "C:\\My Scripts\\calc  1.txt";
    SetEnvironmentVariableW(L"ESSCMD_STANDIN_EXIT", L"3");
    SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", L"2");
    const ProcessIdentity console = start(path);
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(report); }));
    EXPECT_EQ(testing::ReadBytes(report), "1\n" + path + "\n" + CommandLine(path) + "\nminimized\n");
    EXPECT_EQ(windowsTitled(CommandLine(path)), 1);
    EXPECT_TRUE(IsProcessAlive(console));

    const std::optional<ScriptOutcome> ended = outcomeOnceWritten();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->ending, Ending::Exited);
    EXPECT_EQ(ended->code, 3);
    EXPECT_EQ(ended->logProblem, "");
    EXPECT_EQ(testing::ReadBytes(log), "Essbase command-line stand-in: running 1 script(s)\r\n");
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessAlive(console); }));
    EXPECT_TRUE(WaitUntil([&] { return windowsTitled(CommandLine(path)) == 0; }));
}

// The stand-in ends with status 2 on an option, as the client does.
TEST_F(LauncherTest, ARelativePathStartingWithADashReachesTheToolAsAFileAndALogThatCannotBeWrittenIsSaid) {
    testing::WriteBytes(temp.path() / "launches", "a file where the folder should be");
    outcome = temp.path() / "outcomes" / "1.outcome";
    start("-calc.txt");
    const std::optional<ScriptOutcome> ended = outcomeOnceWritten();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->code, 0);
    EXPECT_NE(ended->logProblem.find("the log " + Utf8FromWide(log.wstring()) + " cannot be written: "),
              std::string::npos)
        << ended->logProblem;
    EXPECT_EQ(testing::ReadBytes(report).substr(0, 14), "1\n.\\-calc.txt\n");
}

// Windows tells the console's processes of its closing and waits for them;
// Wine ends them at once, so nothing can record it there.
TEST_F(LauncherTest, ClosingTheConsoleEndsTheScriptAndTheOutcomeSaysSoWhereWindowsTellsOfIt) {
    const std::string path = "C:\\calc.txt";
    SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", L"60");
    const ProcessIdentity console = start(path);
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(report); }));
    HWND window = FindWindowW(nullptr, WideFromUtf8(CommandLine(path))->c_str());
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);

    ASSERT_TRUE(WaitUntil([&] { return !IsProcessAlive(console); }));
    const bool onWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (const std::optional<ScriptOutcome> ended = ReadOutcomeFile(outcome)) {
        EXPECT_EQ(ended->ending, Ending::Signalled);
        EXPECT_EQ(ended->code, CTRL_CLOSE_EVENT);
    } else {
        EXPECT_TRUE(onWine) << "no outcome";
    }
}

// No stand-in on PATH, so a path with a quote let through is not started either.
TEST_F(LauncherTest, RefusesAPathHoldingADoubleQuoteAndNamesAMissingToolOrRunner) {
    const fs::path missingRunner = temp.path() / "vantrel-script.exe";
    const struct {
        std::string path, refusal;
        bool toolOnPath;
        fs::path runner;
    } cases[] = {
        {"C:\\a\" b.txt", "double quote", false, Runner()},
        {"C:\\a.txt", "esscmd.exe was not found", false, Runner()},
        {"C:\\a.txt", "The script runner " + Utf8FromWide(missingRunner.wstring()) + " is missing", true,
         missingRunner},
    };
    for (const auto& [script, refusal, toolOnPath, runner] : cases) {
        SetEnvironmentVariableW(L"PATH", toolOnPath ? StandInFolder().c_str() : L"");
        try {
            start(script, runner);
            ADD_FAILURE() << script << " was started";
        } catch (const LaunchError& error) {
            EXPECT_NE(std::string(error.what()).find(refusal), std::string::npos) << error.what();
        }
    }
    EXPECT_FALSE(fs::exists(report));
}

TEST(CommandLineTest, EveryQuotedArgumentIsReadBackAsItWas) {
    const std::wstring arguments[] = {L"", L"plain", L"two  blanks", L"C:\\folder\\", L"C:\\a b\\\\",
                                      L"say \"hi\"", L"\\\"", L"a\\\\\"b", L"\t tab", L"\u00e9t\u00e9 \\"};
    std::wstring line = L"program.exe";
    for (const std::wstring& argument : arguments) line += L" " + QuotedArgument(argument);
    int count = 0;
    LPWSTR* read = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_EQ(count, static_cast<int>(std::size(arguments)) + 1) << Utf8FromWide(line);
    for (int i = 1; i < count; ++i) EXPECT_EQ(read[i], arguments[i - 1]) << Utf8FromWide(line);
    LocalFree(read);
}

}  // namespace
}  // namespace vantrel
