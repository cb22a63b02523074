// vantrel.exe as a Windows user and a scheduler meet it, driven from outside
// the program: a queue stored by vantrel-reg.exe, the stand-in esscmd.exe
// running in each console, every box of the program closed with OK by this
// driver, and what the program prints and its exit status.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "about/ProductInfo.h"
#include "app/ProgramOptions.h"
#include "app/win32/Win32ListBox.h"
#include "app/win32/Win32MainWindow.h"
#include "base/WideText_windows.h"
#include "queue/QueueEntry.h"
#include "run/OwnedHandle_windows.h"
#include "run/RunController.h"
#include "run/RunJournal.h"
#include "testing/FileBytes.h"
#include "testing/MarkProbes_windows.h"
#include "testing/ScreenDpi_windows.h"
#include "testing/StandInLog.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

/// A window's text; asked of the window itself, since another process's
/// controls keep their text to themselves.
std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        &ignored);
    return Utf8FromWide(text);
}

bool WaitUntil(const std::function<bool()>& done, ULONGLONG boundMs = 20000) {
    for (const ULONGLONG end = GetTickCount64() + boundMs; !done(); Sleep(20))
        if (GetTickCount64() > end) return false;
    return true;
}

/// A file a started program writes its standard output or error to.
OwnedHandle InheritableFile(const fs::path& file) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return OwnedHandle(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

/// Starts a program with these standard output and error handles (none, as a
/// program with a window started from a console has).
OwnedHandle Start(std::wstring commandLine, HANDLE output = nullptr, HANDLE errors = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    const OwnedHandle thread(process.hThread);
    return OwnedHandle(process.hProcess);
}

DWORD StatusAtEnd(HANDLE process, DWORD boundMs = 30000) {
    DWORD status = 1;
    if (process && WaitForSingleObject(process, boundMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &status);
    return status;
}

/// The top-level windows of one process, or of all when `process` is 0.
std::vector<HWND> TopLevelWindows(DWORD process = 0) {
    std::pair<DWORD, std::vector<HWND>> found{process, {}};
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            auto& [process, windows] =
                *reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(found);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (process == 0 || owner == process) windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.second;
}

bool IsOfClass(HWND window, const wchar_t* windowClass) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return wcscmp(name, windowClass) == 0;
}

std::vector<HWND> MainWindows(DWORD process = 0) {
    std::vector<HWND> windows = TopLevelWindows(process);
    std::erase_if(windows, [](HWND each) { return !IsOfClass(each, win32::kMainWindowClass); });
    return windows;
}

bool IsMessageBox(HWND window) { return IsOfClass(window, L"#32770") && IsWindowVisible(window); }

/// Presses OK on each box of `process` not answered yet; their texts.
Strings AnswerBoxes(DWORD process, std::set<HWND>& answered) {
    Strings texts;
    for (HWND box : TopLevelWindows(process)) {
        if (!IsMessageBox(box) || !answered.insert(box).second) continue;
        for (const int id : {0xFFFF, 100})  // Windows numbers the text 0xFFFF, Wine 100
            if (HWND text = GetDlgItem(box, id)) texts.push_back(TextOf(text));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return texts;
}

std::string WithCrLf(const std::string& text) {
    std::string lines;
    for (const char c : text) lines += c == '\n' ? "\r\n" : std::string(1, c);
    return lines;
}

/// Whether every row of another process's queue list (of one height, not
/// scrolled) shows this progress mark.
bool AllRowsShow(HWND list, int rows, int dpi, RowProgress progress) {
    RECT client;
    GetClientRect(list, &client);
    const auto height = static_cast<LONG>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        RECT mark = win32::Win32ListBox::MarkPlace(
            {0, row * height, client.right, (row + 1) * height}, dpi);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&mark), 2);
        if (!testing::MissingInk(testing::ScreenPixels(mark), mark, ProgressMarkShape(progress))
                 .empty())
            return false;
    }
    return true;
}

/// How a program run ended and what it printed.
struct Ran {
    DWORD status = 1;
    std::string output;
    std::string errors;
};

class RunEndToEndTest : public ::testing::Test {
protected:
    const fs::path folder =
        fs::temp_directory_path() / ("vantrel run " + std::to_string(GetCurrentProcessId()));
    const fs::path log = folder / "stand-in.log";
    Strings scripts;
    OwnedHandle vantrel;

    RunEndToEndTest() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const char* name : {"calc q1.txt", "calc-q2.txt", "it's q3.txt"}) {
            testing::WriteBytes(folder / name, "LOGIN\r\nRUNCALC\r\nLOGOUT\r\n");
            scripts.push_back(Utf8FromWide((folder / name).wstring()));
        }
        forgetEverything();
        const std::wstring path =
            fs::path(VANTREL_STAND_IN_DIR).make_preferred().wstring() + L";" + _wgetenv(L"PATH");
        SetEnvironmentVariableW(L"PATH", path.c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", L"1");
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_LOG", log.c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_EXIT", nullptr);
    }
    ~RunEndToEndTest() override {
        // A failed run leaves no program behind.
        if (vantrel && WaitForSingleObject(vantrel.get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(vantrel.get(), 1);
        forgetEverything();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    /// The user's queue, settings, journal and record of the last run, in this
    /// test prefix: no run of another test is offered for resuming.
    static void forgetEverything() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Dravell\\Kestrim");
        std::error_code ignored;
        fs::remove_all(DefaultJournalFolder(), ignored);
    }

    static std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
    static std::wstring Program(const char* exe) {
        return Quoted(fs::path(exe).make_preferred().wstring());
    }

    /// Runs a program to its end, or for at most `boundMs`.
    Ran run(const std::wstring& commandLine, DWORD boundMs = 30000) const {
        const fs::path output = folder / "output.txt", errors = folder / "errors.txt";
        Ran ran;
        {
            const OwnedHandle out = InheritableFile(output), err = InheritableFile(errors);
            ran.status = StatusAtEnd(Start(commandLine, out.get(), err.get()).get(), boundMs);
        }
        ran.output = testing::ReadBytes(output);
        ran.errors = testing::ReadBytes(errors);
        return ran;
    }
    Ran vantrelExe(const std::wstring& arguments, DWORD boundMs = 30000) const {
        return run(Program(VANTREL_EXE) + L" " + arguments, boundMs);
    }
    void storeQueue(std::size_t count, int concurrency) const {
        for (std::size_t i = 0; i < count; ++i) {
            const std::string key = "HKCU\\" + std::string(kQueueRecordKeyPath) + "\\" +
                                    EntryKeyName("0" + std::to_string(i + 1) + "-" + scripts[i]);
            ASSERT_EQ(run(Program(VANTREL_REG_EXE) + L" add " + Quoted(*WideFromUtf8(key))).status,
                      0u)
                << key;
        }
        ASSERT_EQ(
            run(Program(VANTREL_REG_EXE) + L" add \"HKCU\\Software\\Dravell\\Kestrim\" /v Id /d " +
                std::to_wstring(concurrency))
                .status,
            0u);
    }
    /// Starts vantrel.exe, left running, and finds its window once it shows.
    HWND startVantrel() {
        vantrel = Start(Program(VANTREL_EXE));
        HWND shown = nullptr;
        WaitUntil([&] {
            for (HWND candidate : MainWindows(GetProcessId(vantrel.get())))
                if (IsWindowVisible(candidate)) shown = candidate;
            return shown != nullptr;
        });
        return shown;
    }
    DWORD vantrelProcess() const { return GetProcessId(vantrel.get()); }
    DWORD vantrelStatus() const { return StatusAtEnd(vantrel.get(), 10000); }
};

// The scripts run long enough that the second starts, its boxes answered,
// while the first still runs. At 120 dpi a second start of the program brings
// the window forward and hands over its start, which shows no run messages.
// Screenshots for a person to look at in build-windows/screenshots/.
TEST_F(RunEndToEndTest, ThreeScriptsTwoAtATimeRunInQueueOrderInConsolesAndEveryRowShowsItAt96And120Dpi) {
    SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", L"2");
    storeQueue(3, 2);
    for (const int dpi : {96, 120}) {
        fs::remove(log);
        const testing::ScreenDpiSetting setting(dpi);
        HWND window = startVantrel();
        ASSERT_NE(window, nullptr);
        HWND list = GetDlgItem(window, win32::kQueueListId);
        HWND startStop = GetDlgItem(window, win32::CommandId(Command::StartStop));
        EXPECT_TRUE(WaitUntil([&] { return AllRowsShow(list, 3, dpi, RowProgress::Waiting); }));
        const bool handedOver = dpi == 120;
        if (handedOver) {
            ShowWindow(window, SW_MINIMIZE);
            const Ran shown = vantrelExe(L"");
            EXPECT_EQ(shown.status, 0u);
            EXPECT_EQ(shown.errors, "");
            EXPECT_FALSE(IsIconic(window));
            EXPECT_EQ(GetForegroundWindow(), window);
            const Ran refused = vantrelExe(L"--start --exit-when-done");
            EXPECT_EQ(refused.status, 3u);
            EXPECT_TRUE(refused.errors.starts_with("vantrel: Vantrel runs already")) << refused.errors;
            EXPECT_EQ(TextOf(startStop), kStartCaption);
            EXPECT_EQ(vantrelExe(L"--start").errors, "vantrel: the run has started\r\n");
            EXPECT_EQ(vantrelExe(L"--start").errors, "vantrel: a run is going on already\r\n");
            EXPECT_EQ(MainWindows(), std::vector<HWND>{window});
        } else {
            PostMessageW(startStop, BM_CLICK, 0, 0);
        }

        Strings launches;
        std::set<HWND> answered;
        std::size_t mostConsoles = 0;
        WaitUntil([&] {
            std::size_t consoles = 0;
            for (HWND each : TopLevelWindows())
                consoles += TextOf(each).find("esscmd.exe") != std::string::npos && !IsMessageBox(each);
            mostConsoles = std::max(mostConsoles, consoles);
            for (const std::string& box : AnswerBoxes(vantrelProcess(), answered))
                if (box.starts_with("esscmd.exe ")) launches.push_back(box);
            return TextOf(startStop) == kFinishedCaption;
        }, 60000);
        ASSERT_EQ(TextOf(startStop), kFinishedCaption) << dpi;
        EXPECT_TRUE(WaitUntil([&] { return AllRowsShow(list, 3, dpi, RowProgress::Done); })) << dpi;
        testing::SaveScreenshot(window, fs::path(VANTREL_SCREENSHOT_DIR) /
                                            ("run-finished-" + std::to_string(dpi) + "dpi.bmp"));
        WaitUntil([&] { return testing::StandInLog::Read(log).exitStatuses.size() == 3; });

        testing::StandInLog ran = testing::StandInLog::Read(log);
        EXPECT_EQ(ran.exitStatuses, (std::vector<int>{0, 0, 0}));
        std::sort(ran.started.begin(), ran.started.end());
        EXPECT_EQ(ran.started, (std::vector<Strings>{{scripts[0]}, {scripts[1]}, {scripts[2]}}));
        EXPECT_LE(ran.mostAtOnce, 2);
        EXPECT_EQ(mostConsoles, 2u) << "two consoles at a time, and the driver saw them";
        EXPECT_EQ(TextOf(GetDlgItem(window, win32::kStatusLineId)), "Scripts Executed:  3");
        // The order the program chose is the order of its command-line boxes.
        const Strings queueOrder{CommandLine(scripts[0]), CommandLine(scripts[1]), CommandLine(scripts[2])};
        EXPECT_EQ(launches, handedOver ? Strings{} : queueOrder);
        PostMessageW(handedOver ? window : startStop, handedOver ? WM_CLOSE : BM_CLICK, 0, 0);
        EXPECT_EQ(vantrelStatus(), 0u);
    }
}

TEST_F(RunEndToEndTest, HelpVersionAndRefusalsEndWithTheirStatusAndNoWindowShown) {
    struct Case {
        const wchar_t* arguments;
        DWORD status;
        std::string output;
        std::string errorsStart;
    };
    const Case cases[] = {
        {L"/?", 0, WithCrLf(UsageText()), ""},
        {L"--version", 0, std::string("Vantrel ") + product::kVersionText + "\r\n", ""},
        {L"--concurrency 9", 2, "",
         "vantrel: --concurrency must be a number from 1 to 8, not 9\r\n\r\nUsage:"},
        {L"--exit-when-done", 2, "", "vantrel: --exit-when-done needs --start\r\n"},
        {L"--start --import C:\\nowhere\\list.txt", 3, "",
         "vantrel: The list file C:\\nowhere\\list.txt cannot be imported"},
    };
    for (const Case& each : cases) {
        const Ran ran = vantrelExe(each.arguments);
        EXPECT_EQ(ran.status, each.status) << Utf8FromWide(each.arguments);
        EXPECT_EQ(ran.output, each.output) << Utf8FromWide(each.arguments);
        EXPECT_TRUE(ran.errors.starts_with(each.errorsStart)) << ran.errors;
        EXPECT_TRUE(each.status != 2 || ran.errors.ends_with(WithCrLf(UsageText())));
    }
    EXPECT_TRUE(MainWindows().empty());

    // Started from cmd, the program is given no standard handles and writes to cmd's console.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    const OwnedHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(StatusAtEnd(Start(Program(VANTREL_EXE) + L" /?").get()), 0u);
    std::wstring firstLine(24, L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(console.get(), firstLine.data(), 24, COORD{0, 0}, &read);
    FreeConsole();
    EXPECT_EQ(Utf8FromWide(firstLine), "Usage: vantrel [options]");
}

// Nobody is at the keyboard: the run starts itself, shows no box, and the
// program ends once its scripts have, with the status a scheduler tests.
TEST_F(RunEndToEndTest, AStartThatExitsWhenDoneNeedsNoClickAndEndsWithTheRunsStatus) {
    const std::tuple<unsigned, const wchar_t*, DWORD> cases[] = {{1, L"3", 1}, {3, L"0", 0}};
    for (const auto& [count, scriptStatus, status] : cases) {
        storeQueue(count, 1);
        fs::remove(log);
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_EXIT", scriptStatus);
        const Ran ran = vantrelExe(L"--start --exit-when-done --concurrency 2", 60000);
        EXPECT_EQ(ran.status, status) << ran.errors;
        const testing::StandInLog scriptsRan = testing::StandInLog::Read(log);
        EXPECT_EQ(scriptsRan.exitStatuses, std::vector<int>(count, _wtoi(scriptStatus)));
        EXPECT_LE(scriptsRan.mostAtOnce, 2);
    }
    EXPECT_TRUE(MainWindows().empty());
}

}  // namespace
}  // namespace vantrel
