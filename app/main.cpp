#include <QApplication>

#include "app/MainWindow.h"
#include "run/Launcher.h"
#include "run/WindowList.h"
#include "settings/Store.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vantrel::OpenedStore opened = vantrel::OpenUserStore();
    std::optional<vantrel::StoreProblem> problem;
    if (opened.problem) problem = vantrel::StoreProblem{opened.location, *opened.problem, opened.readOnly};

    vantrel::ProgramState state;
    vantrel::SettingsKeys settings(*opened.store);
    const auto windows = vantrel::OpenDesktopWindowList();
    const auto launcher = vantrel::CreateLauncher();
    vantrel::MainWindow window(state, settings, *windows, *launcher, problem);
    window.load();
    window.show();
    return app.exec();
}
