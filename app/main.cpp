#include <QApplication>
#include <QTimer>
#include <iostream>

#include "app/EndsWithItsWindow.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "app/SingleInstance.h"
#include "app/UserProgram.h"
#include "run/WindowList.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

int End(const vantrel::ProgramEnd& end) {
    std::cout << end.output << std::flush;
    std::cerr << end.errors << std::flush;
    return end.status;
}

}  // namespace

int main(int argc, char** argv) {
    const vantrel::ProgramStart start(Arguments(argc, argv));
    if (start.endsAtOnce()) return End(*start.endsAtOnce());
    // The toolkit would abort, advising a reinstall, where no display answers.
    if (const std::optional<std::string> why = vantrel::DesktopUnreachable())
        return End(vantrel::CannotRun(*why));

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    vantrel::SingleInstance instance;
    if (const std::optional<std::string> answer =
            instance.claim(std::string(start.requestForRunningProgram())))
        return End(start.handedOver(*answer));
    vantrel::UserProgram program(start.options());
    vantrel::MainWindow window(program.parts());
    instance.setHandler([&window](const std::string& request) { return window.answerAnotherStart(request); });
    if (const std::optional<std::string> refusal = window.load())
        return End(vantrel::CannotRun(*refusal));
    window.show();
    vantrel::EndsWithItsWindow ending(window);
    app.installNativeEventFilter(&ending);
    QTimer::singleShot(0, &window, [&window] { window.onShown(); });
    app.exec();
    return window.exitStatus();
}
