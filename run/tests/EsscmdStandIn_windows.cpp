// A stand-in for esscmd.exe in the launcher tests. It writes what it was
// started with to the file that ESSCMD_STANDIN_REPORT names, one item a line:
// the number of arguments, the first argument, its console's title, and
// whether that console window is minimized. Then it ends.

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "settings/WideText_windows.h"

namespace {

std::wstring ConsoleTitle() {
    wchar_t title[1024] = {};
    GetConsoleTitleW(title, static_cast<DWORD>(std::size(title)));
    return title;
}

bool ConsoleMinimized() {
    const HWND console = GetConsoleWindow();
    return console != nullptr && IsIconic(console);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* reportPath = _wgetenv(L"ESSCMD_STANDIN_REPORT");
    if (reportPath == nullptr) return 2;
    const std::filesystem::path report(reportPath);
    std::filesystem::path partial = report;
    partial += L".part";
    {
        std::ofstream out(partial, std::ios::binary);
        out << argc - 1 << '\n'
            << vantrel::Utf8FromWide(argc > 1 ? argv[1] : L"") << '\n'
            << vantrel::Utf8FromWide(ConsoleTitle()) << '\n'
            << (ConsoleMinimized() ? "minimized" : "not minimized") << '\n';
    }
    // The test waits for the report's name, so it never reads half of it.
    std::filesystem::rename(partial, report);
    return 0;
}
