#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>

#include "app/ProgramStart.h"
#include "app/UserProgram.h"
#include "app/win32/ConsoleText.h"
#include "app/win32/SelfCheck.h"
#include "app/win32/Win32MainWindow.h"
#include "app/win32/Win32SingleInstance.h"
#include "base/WideText_windows.h"

namespace {

struct LocalFreer {
    void operator()(wchar_t** memory) const { LocalFree(memory); }
};

/// The program's arguments in UTF-8, the program's own name left out.
std::vector<std::string> CommandLineArguments() {
    int count = 0;
    const std::unique_ptr<wchar_t*, LocalFreer> words(
        CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 1; words && i < count; ++i)
        arguments.push_back(vantrel::Utf8FromWide(words.get()[i]));
    return arguments;
}

int End(const vantrel::ProgramEnd& end) {
    vantrel::win32::WriteStandardOutput(end.output);
    vantrel::win32::WriteStandardError(end.errors);
    return end.status;
}

/// Checks the installed program and says what is wrong on standard output
/// (an installer's test or a support call reads it); 0 when all is well.
vantrel::ProgramEnd SelfCheck() {
    const std::vector<std::string> problems = vantrel::win32::SelfCheckProblems();
    std::string said;
    for (const std::string& problem : problems) said += "self-check: " + problem + "\n";
    if (problems.empty()) said = "self-check: passed\n";
    return {problems.empty() ? 0 : 1, said, {}};
}

void RunMessageLoop(vantrel::win32::Win32MainWindow& window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.handleKeyboard(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const std::vector<std::string> arguments = CommandLineArguments();
    if (arguments == std::vector<std::string>{"--self-check"}) return End(SelfCheck());
    const vantrel::ProgramStart start(arguments);
    if (start.endsAtOnce()) return End(*start.endsAtOnce());

    vantrel::win32::SingleInstance instance;
    if (const std::optional<std::string> answer = instance.claim(start.requestForRunningProgram()))
        return End(start.handedOver(*answer));
    vantrel::UserProgram program(start.options());
    vantrel::ProgramParts parts = program.parts();
    // What a box would say in a run with nobody at the keyboard.
    parts.report = [](const std::string& text) {
        vantrel::win32::WriteStandardError("vantrel: " + text + "\n");
    };
    vantrel::win32::Win32MainWindow window(parts);
    if (const std::optional<std::string> refusal = window.load())
        return End(vantrel::CannotRun(*refusal));
    window.show(showCommand);
    window.onShown();
    RunMessageLoop(window);
    return window.exitStatus();
}
