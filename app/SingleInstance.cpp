#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalSocket>

namespace vantrel {

namespace {

constexpr int kAnswerBoundMs = 5000;

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
            connect(caller, &QLocalSocket::readyRead, caller, [this, caller] {
                if (!caller->canReadLine()) return;
                const std::string request = caller->readLine().trimmed().toStdString();
                const std::string answer = handler_ ? handler_(request) : std::string();
                caller->write(QByteArray::fromStdString(answer + "\n"));
                caller->flush();
            });
        }
    });
}

std::optional<std::string> SingleInstance::claim(const std::string& request) {
    // Listening is the claim: of two starts at one moment only one gets the name.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (server_.listen(name_)) return std::nullopt;
        if (std::optional<std::string> answer = askRunningInstance(request)) return answer;
    }
    // Neither the name nor its holder answers: better a second window than none.
    return std::nullopt;
}

std::optional<std::string> SingleInstance::askRunningInstance(const std::string& request) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerBoundMs)) return std::nullopt;
    socket.write(QByteArray::fromStdString(request + "\n"));
    while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerBoundMs)) {
    }
    const std::string answer = socket.readLine().trimmed().toStdString();
    socket.disconnectFromServer();
    return answer;
}

}  // namespace vantrel
