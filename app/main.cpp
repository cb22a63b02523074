#include <QApplication>

#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/UserProgram.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vantrel::SingleInstance instance;
    if (!instance.claim()) return 0;
    vantrel::UserProgram program;
    vantrel::MainWindow window(program.parts());
    QObject::connect(&instance, &vantrel::SingleInstance::activationRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.load();
    window.show();
    return app.exec();
}
