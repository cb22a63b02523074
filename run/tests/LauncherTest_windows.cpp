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
#include "run/OwnedHandle_windows.h"
#include "run/RunController.h"
#include "run/ScriptOutcome.h"
#include "run/WindowList.h"
#include "run/WindowTitleSearch.h"
#include "testing/FileBytes.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

using Ending = ScriptOutcome::Ending;

bool WaitUntil(const std::function<bool()>& condition) {
    for (int wait = 0; wait < 1000; ++wait, Sleep(20))
        if (condition()) return true;
    return false;
}

std::filesystem::path Runner() { return std::filesystem::path(VANTREL_RUNNER).make_preferred(); }

class LauncherTest : public ::testing::Test {
protected:
    testing::TempFolder temp;
    const std::filesystem::path report = temp.path() / "stand-in report.txt";
    std::filesystem::path outcome = temp.path() / "launches" / "1.outcome";
    std::filesystem::path log = temp.path() / "launches" / "1.log";
    const std::unique_ptr<Launcher> launcher = CreateLauncher(Runner());
    const std::filesystem::path standInFolder = [] {
        wchar_t self[MAX_PATH * 4] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
        return std::filesystem::path(self).parent_path() / "stand-in";
    }();

    // The build puts the stand-in esscmd.exe beside this program, not in its
    // folder, so only PATH leads to it.
    LauncherTest() {
        SetEnvironmentVariableW(L"PATH", standInFolder.c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_REPORT", report.c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_EXIT", nullptr);
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", nullptr);
    }

    ProcessIdentity start(const std::string& path) {
        return launcher->startScript({CommandLine(path), path, outcome, log});
    }
    std::optional<ScriptOutcome> outcomeOnceWritten() {
        WaitUntil([&] { return std::filesystem::exists(outcome); });
        return ReadOutcomeFile(outcome);
    }
    static std::int32_t windowsTitled(const std::string& title) {
        return WindowTitleSearch::countMatchingWindows(*OpenDesktopWindowList(), title, MatchMode::StartsWith);
    }
};

TEST_F(LauncherTest, AScriptRunsInAMinimizedConsoleTitledWithItsCommandLineAndItsStatusAndOutputAreKept) {
    const std::string path = "C:\\My Scripts\\calc  1.txt";
    SetEnvironmentVariableW(L"ESSCMD_STANDIN_EXIT", L"3");
    SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", L"2");
    const ProcessIdentity console = start(path);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(report); }));
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

// The runner started here, in this test's console, with the stand-in.
TEST_F(LauncherTest, TheStandInRefusesAnOptionAndEndsWithTheStatusAsked) {
    const std::filesystem::path standIn = standInFolder / L"esscmd.exe";
    const struct {
        std::wstring argument, exitStatus;
        int code;
        std::string output;
    } cases[] = {
        {L"-calc.txt", L"4", 2, "esscmd.exe: unknown option: -calc.txt\r\n"},
        {L"C:\\calc.txt", L"4", 4, "Essbase command-line stand-in: running 1 script(s)\r\n"},
    };
    for (const auto& [argument, exitStatus, code, output] : cases) {
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_EXIT", exitStatus.c_str());
        std::wstring line = QuotedArgument(Runner().wstring()) + L" --outcome " + QuotedArgument(outcome.wstring()) +
                            L" --log " + QuotedArgument(log.wstring()) + L" -- " +
                            QuotedArgument(standIn.wstring()) + L" " + QuotedArgument(argument);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   nullptr, &startup, &process));
        const OwnedHandle runner(process.hProcess), thread(process.hThread);
        ASSERT_EQ(WaitForSingleObject(runner.get(), 20000), WAIT_OBJECT_0);
        DWORD status = 0;
        GetExitCodeProcess(runner.get(), &status);
        EXPECT_EQ(status, static_cast<DWORD>(code));
        EXPECT_EQ(ReadOutcomeFile(outcome)->code, code);
        EXPECT_EQ(testing::ReadBytes(log), output);
    }
}

bool RunningOnWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Windows tells the console's processes of its closing and waits for them;
// Wine ends them at once, so nothing can record it there.
TEST_F(LauncherTest, ClosingTheConsoleEndsTheScriptAndTheOutcomeSaysSoWhereWindowsTellsOfIt) {
    const std::string path = "C:\\calc.txt";
    SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", L"60");
    const ProcessIdentity console = start(path);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(report); }));
    HWND window = FindWindowW(nullptr, WideFromUtf8(CommandLine(path))->c_str());
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);

    ASSERT_TRUE(WaitUntil([&] { return !IsProcessAlive(console); }));
    if (const std::optional<ScriptOutcome> ended = ReadOutcomeFile(outcome)) {
        EXPECT_EQ(ended->ending, Ending::Signalled);
        EXPECT_EQ(ended->code, CTRL_CLOSE_EVENT);
    } else {
        EXPECT_TRUE(RunningOnWine()) << "no outcome";
    }
}

// No stand-in on PATH, so a path with a quote let through is not started either.
TEST_F(LauncherTest, RefusesAPathHoldingADoubleQuoteAndNamesAMissingToolOrRunner) {
    const std::filesystem::path missingRunner = temp.path() / "vantrel-script.exe";
    const struct {
        std::string path, refusal;
        bool toolOnPath;
        std::filesystem::path runner;
    } cases[] = {
        {"C:\\a\" b.txt", "double quote", false, Runner()},
        {"C:\\a.txt", "esscmd.exe was not found", false, Runner()},
        {"C:\\a.txt", "The script runner " + Utf8FromWide(missingRunner.wstring()) + " is missing", true,
         missingRunner},
    };
    for (const auto& [script, refusal, toolOnPath, runner] : cases) {
        SetEnvironmentVariableW(L"PATH", toolOnPath ? standInFolder.c_str() : L"");
        try {
            CreateLauncher(runner)->startScript({CommandLine(script), script, outcome, log});
            ADD_FAILURE() << script << " was started";
        } catch (const LaunchError& error) {
            EXPECT_NE(std::string(error.what()).find(refusal), std::string::npos) << error.what();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(report));
}

TEST(CommandLineTest, EveryQuotedArgumentIsReadBackAsItWas) {
    const std::wstring arguments[] = {L"", L"plain", L"two  blanks", L"C:\\folder\\", L"C:\\a b\\\\",
                                      L"say \"hi\"", L"\\\"", L"a\\\\\"b", L"\t tab", L"\u00e9t\u00e9 \\"};
    std::wstring line = L"program.exe";
    for (const std::wstring& argument : arguments) line += L" " + QuotedArgument(argument);
    int count = 0;
    struct Freer {
        void operator()(LPWSTR* argv) const { LocalFree(argv); }
    };
    const std::unique_ptr<LPWSTR, Freer> read(CommandLineToArgvW(line.c_str(), &count));
    ASSERT_EQ(count, static_cast<int>(std::size(arguments)) + 1) << Utf8FromWide(line);
    for (int i = 1; i < count; ++i) EXPECT_EQ(read.get()[i], arguments[i - 1]) << Utf8FromWide(line);
}

}  // namespace
}  // namespace vantrel
