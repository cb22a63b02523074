// The word at the end of a run on a desktop message bus of the test's own (a real
// dbus-daemon), heard by a listener that holds the notification service's
// name as a desktop's notification server does; then without any bus.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>
#include <cstdio>
#include <string>

#include "app/DesktopNotification.h"
#include "testing/FileBytes.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

/// A dbus-daemon for this test alone, on a socket in a folder of its own and
/// open to every caller; its address is read from its output.
class PrivateDesktopBus {
public:
    PrivateDesktopBus() {
        const std::string configuration = (folder_.path() / "bus.conf").string();
        testing::WriteBytes(configuration,
                            "<busconfig><listen>unix:dir=" + folder_.path().string() +
                                "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
                                "</policy></busconfig>");
        int output[2];
        if (::pipe(output) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(output[1], STDOUT_FILENO);
            ::execlp("dbus-daemon", "dbus-daemon", ("--config-file=" + configuration).c_str(),
                     "--nofork", "--print-address", nullptr);
            ::_exit(127);
        }
        ::close(output[1]);
        for (char c; ::read(output[0], &c, 1) == 1 && c != '\n';) address_ += c;
        ::close(output[0]);
    }
    ~PrivateDesktopBus() { end(); }
    void end() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
    const std::string& address() const { return address_; }

private:
    testing::TempFolder folder_;
    pid_t pid_ = 0;
    std::string address_;
};

/// Answers Notify as a notification server does, keeping what it was told.
class NotificationListener : public QDBusVirtualObject {
public:
    QList<QVariant> heard;
    int calls = 0;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QStringLiteral("Notify")) return false;
        ++calls;
        heard = message.arguments();
        connection.send(message.createReply(QVariant::fromValue(static_cast<uint>(calls))));
        return true;
    }
};

TEST(DesktopNotificationTest, ReachesTheNotificationServiceOnTheDesktopBusAndWithoutABusNothingWaits) {
    PrivateDesktopBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start";
    // Read when the program first uses the desktop's bus, so set before.
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
    QDBusConnection server = QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "server");
    NotificationListener listener;
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    ASSERT_TRUE(server.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &listener));

    const QString text = QString::fromUtf8("3 scripts run, 2 succeeded, 1 failed (02-calc \xC3\xA9t\xC3\xA9.txt)");
    ShowDesktopNotification(QStringLiteral("Vantrel"), text);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.calls == 1; }, 10000));
    ASSERT_EQ(listener.heard.size(), 8);
    EXPECT_EQ(listener.heard[0].toString(), QStringLiteral("Vantrel"));
    EXPECT_EQ(listener.heard[3].toString(), QStringLiteral("Vantrel"));
    EXPECT_EQ(listener.heard[4].toString(), text);

    server.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus("server");
    bus.end();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QDBusConnection::sessionBus().isConnected(); }, 10000));
    ShowDesktopNotification(QStringLiteral("Vantrel"), text);
    EXPECT_EQ(listener.calls, 1);
}

}  // namespace
}  // namespace vantrel
