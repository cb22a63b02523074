#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalSocket>

namespace vantrel {

namespace {

constexpr int kAnswerBoundMs = 2000;

QString InstanceName() {
    return QStringLiteral("vantrel-%1-%2")
        .arg(::getuid())
        .arg(QString::fromLocal8Bit(qgetenv("DISPLAY")));
}

}  // namespace

SingleInstance::SingleInstance() : name_(InstanceName()) {
    // An abstract socket goes with the process that holds it, so a start
    // after a crash finds no stale name in its way.
    server_.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = server_.nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            emit activationRequested();
        }
    });
}

bool SingleInstance::claim() {
    // Listening is the claim: of two starts at one moment only one gets the name.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (server_.listen(name_)) return true;
        if (askRunningInstance()) return false;
    }
    // Neither the name nor its holder answers: better a second window than none.
    return true;
}

bool SingleInstance::askRunningInstance() {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerBoundMs)) return false;
    socket.disconnectFromServer();
    return true;
}

}  // namespace vantrel
