#include <QApplication>

#include "app/frmFindPart.h"
#include "run/Launcher.h"
#include "run/WindowList.h"
#include "settings/Store.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vantrel::OpenedStore opened = vantrel::OpenUserStore();
    std::optional<vantrel::StoreProblem> problem;
    if (opened.problem) problem = vantrel::StoreProblem{opened.location, *opened.problem};

    vantrel::ProgramState state;
    vantrel::Module1 registry(*opened.store);
    const auto windows = vantrel::OpenDesktopWindowList();
    const auto launcher = vantrel::CreateLauncher();
    vantrel::frmFindPart window(state, registry, *windows, *launcher, problem);
    window.Form_Load();
    window.show();
    return app.exec();
}
