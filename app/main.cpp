#include <QApplication>
#include <QTimer>
#include <iostream>

#include "about/ProductInfo.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/UserProgram.h"
#include "run/WindowList.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kCannotRun = 3;

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

int Refuse(const std::string& why, int status) {
    std::cerr << "vantrel: " << why << "\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const vantrel::ParsedOptions parsed = vantrel::ParseProgramOptions(Arguments(argc, argv));
    if (!parsed.options) return Refuse(parsed.refusal + "\n\n" + vantrel::UsageText(), kUsageError);
    const vantrel::ProgramOptions& options = *parsed.options;
    if (options.help) return std::cout << vantrel::UsageText(), 0;
    if (options.version) return std::cout << "Vantrel " << vantrel::product::kVersionText << "\n", 0;
    // The toolkit would abort, advising a reinstall, where no display answers.
    if (const std::optional<std::string> why = vantrel::DesktopUnreachable()) return Refuse(*why, kCannotRun);

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    vantrel::SingleInstance instance;
    if (const std::optional<std::string> answer = instance.claim(options.start && !options.exitWhenDone ? "start" : "show")) {
        if (options.exitWhenDone)
            return Refuse("Vantrel runs already on this desktop, and its window belongs to the person using it; "
                          "a run that ends Vantrel when done cannot be handed to it.",
                          kCannotRun);
        if (!answer->empty()) std::cerr << "vantrel: " << *answer << "\n";
        return 0;
    }
    vantrel::UserProgram program(options);
    vantrel::MainWindow window(program.parts());
    instance.setHandler([&window](const std::string& request) { return window.answerAnotherStart(request); });
    if (const std::optional<std::string> refusal = window.load()) return Refuse(*refusal, kCannotRun);
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.onShown(); });
    app.exec();
    return window.exitStatus();
}
