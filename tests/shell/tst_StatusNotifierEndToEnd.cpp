// SPDX-License-Identifier: GPL-3.0-or-later
// The real program talking StatusNotifierItem to a stand-in panel, for what the real
// desktops (tests/desktops) do not show: registering again on a replaced session bus. The
// texts themselves are the presenter's table; clicks on the icon, the controller's; the
// countdown in a real tray, the real desktops' rig.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QTemporaryDir>
#include <QtTest>

using namespace RunningCorvane;

namespace {
const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");

QVariant propertyOf(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Properties", "Get");
    get << interface << name;
    const QDBusMessage reply = TestBus::bus(false).call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().first().value<QDBusVariant>().variant()
                                                      : QVariant();
}

void setBatteryPercent(const MockService &upower, double percent)
{
    QDBusMessage set = QDBusMessage::createMethodCall("org.freedesktop.UPower", "/org/freedesktop/UPower",
                                                      "org.freedesktop.DBus.Mock", "SetDeviceProperties");
    set << QVariant::fromValue(QDBusObjectPath("/org/freedesktop/UPower/devices/DisplayDevice"))
        << QVariantMap{{"Percentage", percent}};
    upower.bus().call(set);
}
} // namespace

class StatusNotifierEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The session bus daemon is killed and another started at the same address, as when a
    // session's bus restarts: the icon, the program's name and its notifications are on
    // the new one afterwards.
    void comesBackOnAReplacedSessionBus()
    {
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY") && QDBusConnection::systemBus().isConnected(),
                        "Xvfb and private buses");
        auto watcher = startWatcher();
        // On a battery that is still fine, with the guard on, so a notification can be
        // asked for from outside.
        MockService upower("upower", true, "org.freedesktop.UPower", QVariantMap{{"OnBattery", true}});
        QVERIFY(upower.isRunning());
        setBatteryPercent(upower, 80);
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath("Corvane"));
        QVERIFY(writeFile(config.filePath("Corvane/Corvane.conf"), "[General]\ncorvane.stopBelowBatteryPercent=20\n"));
        QProcessEnvironment env;
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_CONFIG_HOME", config.path());
        const std::unique_ptr<QProcess> corvane = launch(env);
        QString item;
        QVERIFY(TestBus::waitFor([&] { return !(item = registeredItems().value(0)).isEmpty(); }, 10000));
        QVERIFY2(item.startsWith("org.kde.StatusNotifierItem-"), qPrintable(item));

        watcher.reset();
        QVERIFY(TestBus::replaceBus(false));
        watcher = startWatcher();
        MockService notifications("notification_daemon", false, "org.freedesktop.Notifications");
        QVERIFY(notifications.isRunning());

        // The icon: the item is exported and registered with the new watcher.
        QVERIFY(TestBus::waitFor([&] { return registeredItems().contains(item); }, 8000));
        QCOMPARE(propertyOf(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "ItemIsMenu"), QVariant(false));
        // The program's name and interface: a command drives this instance, not one of its own.
        QVERIFY(TestBus::waitFor([] { return commandLine({"--for", "1h"}) == 0; }, 8000));
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
        QCOMPARE(
            propertyOf(SingleInstance::serviceName, SingleInstance::objectPath, SingleInstance::serviceName, "Active"),
            QVariant(true));

        // A notification: the battery guard stops the period and says why.
        setBatteryPercent(upower, 19);
        auto notified = [&] { return notifications.calls("/org/freedesktop/Notifications").filter("Notify "); };
        QVERIFY(TestBus::waitFor([&] { return notified().size() == 1; }, 5000));
        QVERIFY2(notified().first().contains("battery"), qPrintable(notified().first()));
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));

        TestBus::bus(false).call(QDBusMessage::createMethodCall(SingleInstance::serviceName, SingleInstance::objectPath,
                                                                SingleInstance::serviceName, "Quit"));
        QVERIFY(exitedWithZero(*corvane));
    }

private:
    static std::unique_ptr<MockService> startWatcher()
    {
        return std::make_unique<MockService>(TestBus::mockTemplate("sni_watcher.py"), false, watcherName);
    }
};

QTEST_GUILESS_MAIN(StatusNotifierEndToEndTest)
#include "tst_StatusNotifierEndToEnd.moc"
