// A whole run as a Windows user sees it, driven from outside the program:
// vantrel.exe with a queue stored by vantrel-reg.exe, the stand-in esscmd.exe
// running about a second in each console, two at a time, and every box of
// the program closed with OK by this driver.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <type_traits>

#include "app/win32/Win32MainWindow.h"
#include "base/WideText_windows.h"
#include "queue/QueueEntry.h"
#include "run/RunController.h"
#include "testing/FileBytes.h"
#include "testing/StandInLog.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

/// A window's text; asked of the window itself, since another process's
/// controls keep their text to themselves.
std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        &ignored);
    return Utf8FromWide(text);
}

/// Starts a program with this command line and hands back its process.
OwnedHandle Start(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    const OwnedHandle thread(process.hThread);
    return OwnedHandle(process.hProcess);
}

DWORD RunToEnd(const std::wstring& commandLine) {
    const OwnedHandle process = Start(commandLine);
    DWORD status = 1;
    if (process && WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.get(), &status);
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

bool IsMessageBox(HWND window) {
    wchar_t windowClass[16] = {};
    GetClassNameW(window, windowClass, 16);
    return wcscmp(windowClass, L"#32770") == 0 && IsWindowVisible(window);
}

std::string MessageBoxText(HWND box) {
    for (const int id : {0xFFFF, 100})  // Windows numbers the text 0xFFFF, Wine 100
        if (HWND text = GetDlgItem(box, id)) return TextOf(text);
    return {};
}

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
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Dravell\\Kestrim");
        const std::wstring path =
            fs::path(VANTREL_STAND_IN_DIR).make_preferred().wstring() + L";" + _wgetenv(L"PATH");
        SetEnvironmentVariableW(L"PATH", path.c_str());
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_SECONDS", L"1");
        SetEnvironmentVariableW(L"ESSCMD_STANDIN_LOG", log.c_str());
    }
    ~RunEndToEndTest() override {
        // A failed run leaves no program behind.
        if (vantrel && WaitForSingleObject(vantrel.get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(vantrel.get(), 1);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Dravell\\Kestrim");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    static std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
    static DWORD RegTool(const std::wstring& arguments) {
        return RunToEnd(Quoted(fs::path(VANTREL_REG_EXE).make_preferred().wstring()) + L" " +
                        arguments);
    }
};

TEST_F(RunEndToEndTest, ThreeScriptsTwoAtATimeStartInQueueOrderInConsolesAndTheRunFinishes) {
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        const std::string key = "HKCU\\" + std::string(kQueueRecordKeyPath) + "\\" +
                                EntryKeyName("0" + std::to_string(i + 1) + "-" + scripts[i]);
        ASSERT_EQ(RegTool(L"add " + Quoted(*WideFromUtf8(key))), 0u) << key;
    }
    ASSERT_EQ(RegTool(L"add \"HKCU\\Software\\Dravell\\Kestrim\" /v Id /d 2"), 0u);

    vantrel = Start(Quoted(fs::path(VANTREL_EXE).make_preferred().wstring()));
    ASSERT_TRUE(vantrel);
    const DWORD process = GetProcessId(vantrel.get());
    HWND window = nullptr;
    for (int wait = 0; wait < 1000 && window == nullptr; ++wait, Sleep(20))
        for (HWND candidate : TopLevelWindows(process))
            if (wchar_t name[64] = {};
                GetClassNameW(candidate, name, 64) && wcscmp(name, win32::kMainWindowClass) == 0)
                window = candidate;
    ASSERT_NE(window, nullptr);
    HWND startStop = GetDlgItem(window, win32::CommandId(Command::StartStop));
    PostMessageW(startStop, BM_CLICK, 0, 0);

    Strings boxes;
    std::set<HWND> answered;
    std::size_t mostConsoles = 0;
    const ULONGLONG end = GetTickCount64() + 60000;
    while (TextOf(startStop) != kFinishedCaption && GetTickCount64() < end) {
        std::size_t consoles = 0;
        for (HWND each : TopLevelWindows())
            consoles += TextOf(each).find("esscmd.exe") != std::string::npos && !IsMessageBox(each);
        mostConsoles = std::max(mostConsoles, consoles);
        for (HWND box : TopLevelWindows(process))
            if (IsMessageBox(box) && answered.insert(box).second) {
                boxes.push_back(MessageBoxText(box));
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        Sleep(20);
    }
    ASSERT_EQ(TextOf(startStop), kFinishedCaption);
    for (int wait = 0; wait < 500 && testing::StandInLog::Read(log).exitStatuses.size() < 3; ++wait)
        Sleep(20);

    testing::StandInLog ran = testing::StandInLog::Read(log);
    EXPECT_EQ(ran.exitStatuses, (std::vector<int>{0, 0, 0}));
    std::sort(ran.started.begin(), ran.started.end());
    EXPECT_EQ(ran.started, (std::vector<Strings>{{scripts[0]}, {scripts[1]}, {scripts[2]}}));
    EXPECT_LE(ran.mostAtOnce, 2);
    EXPECT_EQ(mostConsoles, 2u) << "two consoles at a time, and the driver saw them";
    EXPECT_EQ(TextOf(GetDlgItem(window, win32::kStatusLineId)), "Scripts Executed:  3");
    // The order the program chose is the order of its command-line boxes.
    Strings launches;
    std::copy_if(boxes.begin(), boxes.end(), std::back_inserter(launches),
                 [](const std::string& box) { return box.starts_with("esscmd.exe "); });
    Strings queueOrder;
    for (const std::string& script : scripts) queueOrder.push_back(CommandLine(script));
    EXPECT_EQ(launches, queueOrder);

    PostMessageW(startStop, BM_CLICK, 0, 0);
    ASSERT_EQ(WaitForSingleObject(vantrel.get(), 10000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(vantrel.get(), &status);
    EXPECT_EQ(status, 0u);
}

}  // namespace
}  // namespace vantrel
