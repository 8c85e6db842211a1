// SPDX-License-Identifier: GPL-3.0-or-later
// The real program talking StatusNotifierItem to a stand-in panel, for what the real
// desktops (tests/desktops) do not show: how often the item signals, clicks on the icon
// with the panel open, and registering again with a restarted watcher or on a replaced
// session bus. The texts themselves are the presenter's table.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QtTest>

using namespace RunningCorvane;

namespace {
const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

QVariant propertyOf(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Properties", "Get");
    get << interface << name;
    const QDBusMessage reply = TestBus::bus(false).call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().first().value<QDBusVariant>().variant()
                                                      : QVariant();
}

QStringList registeredItems()
{
    return qdbus_cast<QStringList>(
        propertyOf(watcherName, "/StatusNotifierWatcher", watcherName, "RegisteredStatusNotifierItems"));
}

bool panelShows()
{
    return RunningCorvane::panel().visible;
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

// Counts the signals the item and the public interface send.
class SignalCounter : public QObject {
    Q_OBJECT
public:
    int heard = 0;

public Q_SLOTS:
    void onSignal() { ++heard; }
};

class StatusNotifierEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY") && QDBusConnection::systemBus().isConnected(),
                        "Xvfb and private buses");
        startWatcher();
        // On a battery that is still fine, with the guard on, so a notification can be
        // asked for from outside.
        m_upower =
            std::make_unique<MockService>("upower", true, "org.freedesktop.UPower", QVariantMap{{"OnBattery", true}});
        QVERIFY(m_upower->isRunning());
        setBatteryPercent(*m_upower, 80);
        QVERIFY(QDir(m_config.path()).mkpath("Corvane"));
        QVERIFY(
            writeFile(m_config.filePath("Corvane/Corvane.conf"), "[General]\ncorvane.stopBelowBatteryPercent=20\n"));
        QProcessEnvironment env;
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_CONFIG_HOME", m_config.path());
        m_corvane = launch(env);
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QVERIFY(TestBus::waitFor([this] { return !(m_item = registeredItems().value(0)).isEmpty(); }, 5000));
        QVERIFY2(m_item.startsWith("org.kde.StatusNotifierItem-"), qPrintable(m_item));
        QCOMPARE(itemProperty("ItemIsMenu").toBool(), false);
    }

    // The label changes with the countdown's text and only then; the public interface
    // stays quiet meanwhile (RemainingSeconds is read on demand, never announced).
    void labelFollowsTheCountdownAndOnlyOnChange()
    {
        SignalCounter counter;
        QDBusConnection bus = QDBusConnection::sessionBus();
        for (const char *name : {"XAyatanaNewLabel", "NewTitle", "NewToolTip"})
            QVERIFY(bus.connect(m_item, itemPath, itemInterface, name, &counter, SLOT(onSignal())));
        QVERIFY(bus.connect(SingleInstance::serviceName, SingleInstance::objectPath, "org.freedesktop.DBus.Properties",
                            "PropertiesChanged", &counter, SLOT(onSignal())));
        auto labelIs = [this](const QString &text) {
            return TestBus::waitFor([&] { return itemProperty("XAyatanaLabel") == text; }, 5000);
        };

        // Started from the command line: it drives this instance, whose tray shows the period.
        QCOMPARE(commandLine({"--for", "2m"}), 0);
        QVERIFY(labelIs("2m"));
        QCOMPARE(itemProperty("XAyatanaLabelGuide").toString().size(), 5);
        // 120 s down to 117 s still reads "2m": the panel hears nothing. (What was sent
        // before arrives before the answer to a ping.)
        QVERIFY(TestBus::drain(bus, m_item) && TestBus::drain(bus, SingleInstance::serviceName));
        const int heard = counter.heard;
        QVERIFY(
            TestBus::waitFor([] { return RunningCorvane::property("RemainingSeconds").toLongLong() <= 117; }, 5000));
        QVERIFY(TestBus::drain(bus, m_item) && TestBus::drain(bus, SingleInstance::serviceName));
        QCOMPARE(counter.heard, heard);

        QCOMPARE(commandLine({"--for", "1h5m"}), 0);
        QVERIFY(labelIs("1h05"));
        QVERIFY(TestBus::waitFor([&] { return counter.heard > heard; })); // heard when it changes
        QCOMPARE(commandLine({"--stop"}), 0);
        QVERIFY(labelIs(""));
    }

    // With the panel open, a right click on the icon toggles and the panel stays; a plain
    // click there closes it. Real presses on the X server, at the point the host said the
    // icon was clicked. (Every kind of press: tst_StatusItemController.)
    void clicksOnTheIconWithThePanelOpen_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("right click") << "3" << true;
        QTest::newRow("plain click") << "1" << false;
    }
    void clicksOnTheIconWithThePanelOpen()
    {
        QFETCH(QString, button);
        QFETCH(bool, toggles);
        CORVANE_REQUIRE(!QStandardPaths::findExecutable("xdotool").isEmpty(), "xdotool");
        if (!panelShows()) {
            QDBusConnection::sessionBus().call(
                QDBusMessage::createMethodCall(m_item, itemPath, itemInterface, "Activate") << 640 << 10);
            QVERIFY(TestBus::waitFor(panelShows));
        }
        const bool active = RunningCorvane::property("Active").toBool();
        QCOMPARE(QProcess::execute("xdotool", {"mousemove", "640", "10", "click", button}), 0);
        QVERIFY(TestBus::waitFor([&] {
            return panelShows() == toggles && RunningCorvane::property("Active").toBool() == (active != toggles);
        }));
    }

    void registersAgainWhenTheWatcherRestarts()
    {
        startWatcher();
        QVERIFY(TestBus::waitFor([this] { return registeredItems().contains(m_item); }, 5000));
    }

    // Last: the session bus daemon is killed and another started at the same address, as
    // when a session's bus restarts. Everything on the bus is on the new one afterwards.
    void comesBackOnAReplacedSessionBus()
    {
        m_watcher.reset();
        QVERIFY(TestBus::replaceBus(false));
        startWatcher();
        MockService notifications("notification_daemon", false, "org.freedesktop.Notifications");
        QVERIFY(notifications.isRunning());

        // The icon: the item is exported and registered with the new watcher.
        QVERIFY(TestBus::waitFor([this] { return registeredItems().contains(m_item); }, 8000));
        QCOMPARE(itemProperty("ItemIsMenu").toBool(), false);
        // The program's name and interface: a command drives this instance, not one of its own.
        QVERIFY(TestBus::waitFor([] { return commandLine({"--for", "1h"}) == 0; }, 8000));
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
        QCOMPARE(
            propertyOf(SingleInstance::serviceName, SingleInstance::objectPath, SingleInstance::serviceName, "Active"),
            QVariant(true));

        // A notification: the battery guard stops the period and says why.
        setBatteryPercent(*m_upower, 19);
        auto notified = [&] { return notifications.calls("/org/freedesktop/Notifications").filter("Notify "); };
        QVERIFY(TestBus::waitFor([&] { return notified().size() == 1; }, 5000));
        QVERIFY2(notified().first().contains("battery"), qPrintable(notified().first()));
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

    void cleanupTestCase()
    {
        if (m_corvane && m_corvane->state() != QProcess::NotRunning) {
            TestBus::bus(false).call(QDBusMessage::createMethodCall(
                SingleInstance::serviceName, SingleInstance::objectPath, SingleInstance::serviceName, "Quit"));
            QVERIFY(exitedWithZero(*m_corvane));
        }
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

private:
    void startWatcher()
    {
        m_watcher.reset();
        m_watcher = std::make_unique<MockService>(TestBus::mockTemplate("sni_watcher.py"), false, watcherName);
        QVERIFY(m_watcher->isRunning());
    }
    QVariant itemProperty(const QString &name) const { return propertyOf(m_item, itemPath, itemInterface, name); }

    QTemporaryDir m_config;
    std::unique_ptr<MockService> m_watcher;
    std::unique_ptr<MockService> m_upower;
    std::unique_ptr<QProcess> m_corvane;
    QString m_item;
};

QTEST_GUILESS_MAIN(StatusNotifierEndToEndTest)
#include "tst_StatusNotifierEndToEnd.moc"
