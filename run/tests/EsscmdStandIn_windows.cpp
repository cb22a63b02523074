// A stand-in for esscmd.exe under Wine, in its own console as the real client
// runs. It writes its number of arguments, its first argument, its console's
// title and whether that console is minimized, one a line, to the file
// ESSCMD_STANDIN_REPORT names, if any. Like the Linux stand-in, it appends
// "start" and "end" records to ESSCMD_STANDIN_LOG, if set, stays
// ESSCMD_STANDIN_SECONDS (default 0), and ends with the exit status
// ESSCMD_STANDIN_EXIT gives (default 0); an argument that starts with "-" is
// an option to the client, unknown here: it ends with status 2 at once.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/WideText_windows.h"
#include "run/OwnedHandle_windows.h"
#include "testing/FileBytes.h"

using vantrel::OwnedHandle;
using vantrel::Utf8FromWide;

namespace {

std::wstring Environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr ? value : L"";
}

std::string Hex(const std::string& bytes) {
    std::string hex = "x";
    for (const unsigned char byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

/// One record, appended in one write so that runs at the same time do not mix lines.
void Log(const std::string& record) {
    const std::wstring log = Environment(L"ESSCMD_STANDIN_LOG");
    if (log.empty()) return;
    const std::string line = record + "\n";
    const OwnedHandle file(CreateFileW(log.c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!vantrel::Valid(file)) return;
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Report(int argc, wchar_t** argv) {
    const std::wstring report = Environment(L"ESSCMD_STANDIN_REPORT");
    if (report.empty()) return;
    const std::filesystem::path partial = report + L".part";
    wchar_t title[1024] = {};
    GetConsoleTitleW(title, 1024);
    vantrel::testing::WriteBytes(
        partial, std::to_string(argc - 1) + "\n" + Utf8FromWide(argc > 1 ? argv[1] : L"") + "\n" +
                     Utf8FromWide(title) + "\n" +
                     (IsIconic(GetConsoleWindow()) ? "minimized\n" : "shown\n"));
    // The test waits for the report's name, so it never reads half of it.
    std::filesystem::rename(partial, report);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::string pid = std::to_string(GetCurrentProcessId());
    std::string start = "start " + pid + " " + std::to_string(argc - 1);
    for (int i = 1; i < argc; ++i) start += " " + Hex(Utf8FromWide(argv[i]));
    Log(start);
    Report(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != L'-') continue;
        std::printf("esscmd.exe: unknown option: %s\n", Utf8FromWide(argv[i]).c_str());
        Log("end " + pid + " 2");
        return 2;
    }
    const std::wstring seconds = Environment(L"ESSCMD_STANDIN_SECONDS");
    std::printf("Essbase command-line stand-in: running %d script(s)\n", argc - 1);
    if (!seconds.empty()) Sleep(static_cast<DWORD>(std::wcstod(seconds.c_str(), nullptr) * 1000));
    const int status = _wtoi(Environment(L"ESSCMD_STANDIN_EXIT").c_str());
    Log("end " + pid + " " + std::to_string(status));
    return status;
}
