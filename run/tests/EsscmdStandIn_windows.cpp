// A stand-in for esscmd.exe in the launcher tests. It writes its number of
// arguments, its first argument, its console's title and whether that console
// is minimized, one a line, to the file ESSCMD_STANDIN_REPORT names, and ends.

#include <windows.h>

#include <cstdlib>

#include "settings/WideText_windows.h"
#include "testing/FileBytes.h"

using vantrel::Utf8FromWide;

int wmain(int argc, wchar_t** argv) {
    const std::filesystem::path report = _wgetenv(L"ESSCMD_STANDIN_REPORT");
    const std::filesystem::path partial = report.wstring() + L".part";
    wchar_t title[1024] = {};
    GetConsoleTitleW(title, 1024);
    vantrel::testing::WriteBytes(
        partial, std::to_string(argc - 1) + "\n" + Utf8FromWide(argc > 1 ? argv[1] : L"") + "\n" +
                     Utf8FromWide(title) + "\n" +
                     (IsIconic(GetConsoleWindow()) ? "minimized\n" : "shown\n"));
    // The test waits for the report's name, so it never reads half of it.
    std::filesystem::rename(partial, report);
    return 0;
}
