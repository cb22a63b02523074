#include <QApplication>

#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "run/Launcher.h"
#include "run/WindowList.h"
#include "settings/Store.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vantrel::SingleInstance instance;
    if (!instance.claim()) return 0;
    vantrel::OpenedStore opened = vantrel::OpenUserStore();
    std::optional<vantrel::StoreProblem> problem;
    if (opened.problem)
        problem = vantrel::StoreProblem{opened.location, *opened.problem, opened.readOnly};

    vantrel::ProgramState state;
    vantrel::SettingsKeys settings(*opened.store);
    const auto windows = vantrel::OpenDesktopWindowList();
    const auto launcher = vantrel::CreateLauncher();
    vantrel::MainWindow window(state, settings, *windows, *launcher, problem);
    QObject::connect(&instance, &vantrel::SingleInstance::activationRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.load();
    window.show();
    return app.exec();
}
