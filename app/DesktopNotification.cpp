#include "app/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace vantrel {

void ShowDesktopNotification(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Application, id it replaces, icon, summary, body, actions, hints, timeout (the server's).
    notify << QStringLiteral("Vantrel") << 0u << QStringLiteral("vantrel") << summary << body
           << QStringList() << QVariantMap() << -1;
    // Sent without waiting: a busy or missing service must not hold the run's window.
    bus.send(notify);
}

}  // namespace vantrel
