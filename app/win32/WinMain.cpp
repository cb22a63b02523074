#include <windows.h>

#include <cstdio>

#include "app/win32/SelfCheck.h"
#include "app/UserProgram.h"
#include "app/win32/Win32MainWindow.h"
#include "app/win32/Win32SingleInstance.h"

namespace {

/// Checks the installed program and says what is wrong on standard output
/// (an installer's test or a support call reads it); 0 when all is well.
int SelfCheck() {
    const std::vector<std::string> problems = vantrel::win32::SelfCheckProblems();
    for (const std::string& problem : problems) std::printf("self-check: %s\n", problem.c_str());
    if (problems.empty()) std::printf("self-check: passed\n");
    std::fflush(stdout);
    return problems.empty() ? 0 : 1;
}

int RunMessageLoop(vantrel::win32::Win32MainWindow& window) {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (window.handleKeyboard(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int showCommand) {
    if (wcscmp(commandLine, L"--self-check") == 0) return SelfCheck();

    vantrel::win32::SingleInstance instance;
    if (!instance.claim(vantrel::win32::CommandLineArguments())) return 0;
    vantrel::UserProgram program;
    vantrel::win32::Win32MainWindow window(program.parts());
    window.load();
    window.show(showCommand);
    return RunMessageLoop(window);
}
