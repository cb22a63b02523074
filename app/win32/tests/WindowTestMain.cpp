// Runs the window tests; with --at-dpi=N first, runs them in a new process
// that finds the screen set to N dots per inch, and puts the setting back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "run/OwnedHandle_windows.h"
#include "testing/ScreenDpi_windows.h"

namespace {

using vantrel::OwnedHandle;

int RunAtDpi(DWORD dpi, const std::wstring& arguments) {
    const vantrel::testing::ScreenDpiSetting setting(dpi);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\"" + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    DWORD exitCode = 1;
    if (CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child)) {
        const OwnedHandle process(child.hProcess), thread(child.hThread);
        WaitForSingleObject(process.get(), INFINITE);
        GetExitCodeProcess(process.get(), &exitCode);
    }
    return static_cast<int>(exitCode);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring atDpi = L"--at-dpi=";
    if (argc > 1 && std::wstring(argv[1]).starts_with(atDpi)) {
        std::wstring rest;
        for (int i = 2; i < argc; ++i) rest += L" \"" + std::wstring(argv[i]) + L"\"";
        return RunAtDpi(std::stoul(std::wstring(argv[1]).substr(atDpi.size())), rest);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
