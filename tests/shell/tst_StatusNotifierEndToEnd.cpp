// SPDX-License-Identifier: GPL-3.0-or-later
// The real program talking StatusNotifierItem to a stand-in panel, for what the real
// desktops (tests/desktops) do not show: ContextMenu, how often the item signals, and
// registering again with a restarted watcher or on a replaced session bus.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"
#include "wake/PeriodEnd.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace RunningCorvane;

namespace {
const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

QStringList registeredItems()
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(watcherName, QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcherName << QStringLiteral("RegisteredStatusNotifierItems");
    const QDBusMessage reply = TestBus::bus(false).call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return qdbus_cast<QStringList>(qvariant_cast<QDBusVariant>(reply.arguments().first()).variant());
}

QVariant itemProperty(const QString &service, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, itemPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << itemInterface << name;
    const QDBusMessage reply = TestBus::bus(false).call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage ? qvariant_cast<QDBusVariant>(reply.arguments().first()).variant()
                                                      : QVariant();
}

bool xdotool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(5000) && p.exitCode() == 0;
}

bool panelShows()
{
    return RunningCorvane::panel().visible;
}

// The tooltip's text under its heading.
QString toolTipText(const QString &service)
{
    const QDBusArgument tip = itemProperty(service, QStringLiteral("ToolTip")).value<QDBusArgument>();
    QString iconName, title, text;
    tip.beginStructure();
    tip >> iconName;
    tip.beginArray();
    while (!tip.atEnd()) {
        int width = 0, height = 0;
        QByteArray pixels;
        tip.beginStructure();
        tip >> width >> height >> pixels;
        tip.endStructure();
    }
    tip.endArray();
    tip >> title >> text;
    tip.endStructure();
    return text;
}

QStringList notifyCalls(const MockService &daemon)
{
    return daemon.calls(QStringLiteral("/org/freedesktop/Notifications"))
        .filter(QRegularExpression(QStringLiteral("^Notify ")));
}

void setBatteryPercent(const MockService &upower, double percent)
{
    QDBusMessage set = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.UPower"), QStringLiteral("/org/freedesktop/UPower"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("SetDeviceProperties"));
    set << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice")))
        << QVariantMap{{QStringLiteral("Percentage"), percent}};
    upower.bus().call(set);
}
} // namespace

// Records the label signals the item sends.
class LabelListener : public QObject {
    Q_OBJECT
public:
    QStringList labels;
    QList<qint64> times;
    QElapsedTimer clock;
    int titles = 0;
    int toolTips = 0;

public Q_SLOTS:
    void onLabel(const QString &label, const QString &)
    {
        labels << label;
        times << clock.elapsed();
    }
    void onTitle() { ++titles; }
    void onToolTip() { ++toolTips; }
    void onProperties(const QString &, const QVariantMap &changed, const QStringList &)
    {
        properties << changed.keys().join(QLatin1Char('+'));
    }

public:
    QStringList properties;
};

class StatusNotifierEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY") && QDBusConnection::systemBus().isConnected(),
                        "Xvfb and private buses");
        m_watcher =
            std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("sni_watcher.py")), false, watcherName);
        QVERIFY(m_watcher->isRunning());
        // On a battery that is still fine, with the guard on, so a notification can be
        // asked for from outside.
        m_upower =
            std::make_unique<MockService>(QStringLiteral("upower"), true, QStringLiteral("org.freedesktop.UPower"),
                                          QVariantMap{{QStringLiteral("OnBattery"), true}});
        QVERIFY(m_upower->isRunning());
        setBatteryPercent(*m_upower, 80);
        QVERIFY(QDir(m_config.path()).mkpath(QStringLiteral("Corvane")));
        QVERIFY(writeFile(m_config.filePath(QStringLiteral("Corvane/Corvane.conf")),
                          "[General]\ncorvane.stopBelowBatteryPercent=20\n"));
        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        m_corvane = launch(env);
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QVERIFY(TestBus::waitFor(
            [this] {
                const QStringList items = registeredItems();
                m_item = items.isEmpty() ? QString() : items.last();
                return !m_item.isEmpty();
            },
            5000));
        QVERIFY2(m_item.startsWith(QStringLiteral("org.kde.StatusNotifierItem-")), qPrintable(m_item));
        QCOMPARE(itemProperty(m_item, QStringLiteral("ItemIsMenu")).toBool(), false);
        QCOMPARE(itemProperty(m_item, QStringLiteral("ToolTip")).isValid(), true);
    }

    void labelFollowsTheCountdownAndOnlyOnChange()
    {
        LabelListener listener;
        QDBusConnection::sessionBus().connect(m_item, itemPath, itemInterface, QStringLiteral("XAyatanaNewLabel"),
                                              &listener, SLOT(onLabel(QString, QString)));
        QDBusConnection::sessionBus().connect(m_item, itemPath, itemInterface, QStringLiteral("NewTitle"), &listener,
                                              SLOT(onTitle()));
        QDBusConnection::sessionBus().connect(m_item, itemPath, itemInterface, QStringLiteral("NewToolTip"), &listener,
                                              SLOT(onToolTip()));
        listener.clock.start();

        // Started from the command line: it drives this instance, whose tray shows the period.
        QCOMPARE(commandLine({QStringLiteral("--for"), QStringLiteral("2m")}), 0);
        QVERIFY(TestBus::waitFor(
            [&] { return itemProperty(m_item, QStringLiteral("XAyatanaLabel")) == QStringLiteral("2m"); }));
        QCOMPARE(itemProperty(m_item, QStringLiteral("XAyatanaLabelGuide")).toString().size(), 5);
        // 120 s down to 118 s still reads "2m": the panel hears nothing.
        // The signal for "2m" itself arrives before the item's answer to a ping.
        QVERIFY(TestBus::drain(QDBusConnection::sessionBus(), m_item));
        const int before = int(listener.labels.size());
        const int titlesBefore = listener.titles;
        const int toolTipsBefore = listener.toolTips;
        QVERIFY(TestBus::waitFor(
            [] { return RunningCorvane::property(QStringLiteral("RemainingSeconds")).toLongLong() <= 117; }, 5000));
        QVERIFY(TestBus::drain(QDBusConnection::sessionBus(), m_item));
        QCOMPARE(listener.labels.size(), before);
        QCOMPARE(listener.titles, titlesBefore);
        QCOMPARE(listener.toolTips, toolTipsBefore);

        QCOMPARE(commandLine({QStringLiteral("--for"), QStringLiteral("1h5m")}), 0);
        QVERIFY(TestBus::waitFor(
            [&] { return itemProperty(m_item, QStringLiteral("XAyatanaLabel")) == QStringLiteral("1h05"); }));

        // Under a minute the label changes every second, and no more often.
        QCOMPARE(commandLine({QStringLiteral("--for"), QStringLiteral("1")}), 0);
        QVERIFY(TestBus::waitFor(
            [&] { return itemProperty(m_item, QStringLiteral("XAyatanaLabel")) == QStringLiteral("59s"); }, 3000));
        const int start = int(listener.labels.size());
        QDBusConnection::sessionBus().connect(
            SingleInstance::serviceName, SingleInstance::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"), &listener, SLOT(onProperties(QString, QVariantMap, QStringList)));
        QVERIFY(TestBus::waitFor(
            [&] { return itemProperty(m_item, QStringLiteral("XAyatanaLabel")) == QStringLiteral("56s"); }, 5000));
        QVERIFY(TestBus::drain(QDBusConnection::sessionBus(), SingleInstance::serviceName));
        // The public interface stays quiet while the tray counts down: RemainingSeconds is
        // read on demand, never announced.
        QVERIFY2(listener.properties.isEmpty(), qPrintable(listener.properties.join(QLatin1Char(','))));
        QString status;
        QCOMPARE(commandLine({QStringLiteral("--status"), QStringLiteral("--json")}, &status), 0);
        const QJsonObject json = QJsonDocument::fromJson(status.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("active")).toBool(), true);
        QVERIFY2(json.value(QStringLiteral("remaining")).toInt() > 50
                     && json.value(QStringLiteral("remaining")).toInt() < 58,
                 qPrintable(status));
        QVERIFY(!json.value(QStringLiteral("end")).toString().isEmpty());
        QCOMPARE(json.value(QStringLiteral("mode")).toString(), QStringLiteral("displayAndSystem"));
        const QStringList seconds = listener.labels.mid(start);
        QVERIFY2(seconds.size() >= 2 && seconds.size() <= 4, qPrintable(seconds.join(QLatin1Char(','))));
        for (int i = start + 1; i < listener.times.size(); ++i)
            QVERIFY(listener.times[i] - listener.times[i - 1] >= 800);

        QCOMPARE(commandLine({QStringLiteral("--stop")}), 0);
        QVERIFY(TestBus::waitFor(
            [&] { return itemProperty(m_item, QStringLiteral("XAyatanaLabel")).toString().isEmpty(); }));
        QCOMPARE(RunningCorvane::property(QStringLiteral("Active")).toBool(), false);
    }

    // With the panel open, a right, middle or Alt click on the icon toggles and the panel
    // stays; a plain click there closes it. Real presses on the X server, at the point the
    // host said the icon was clicked.
    void clicksOnTheIconWithThePanelOpen_data()
    {
        QTest::addColumn<QStringList>("click"); // xdotool's words after the move
        QTest::addColumn<bool>("toggles");
        QTest::newRow("right click") << QStringList{"click", "3"} << true;
        QTest::newRow("middle click") << QStringList{"click", "2"} << true;
        QTest::newRow("Alt+click") << QStringList{"keydown", "alt", "click", "1", "keyup", "alt"} << true;
        QTest::newRow("plain click") << QStringList{"click", "1"} << false;
    }
    void clicksOnTheIconWithThePanelOpen()
    {
        QFETCH(QStringList, click);
        QFETCH(bool, toggles);
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "xdotool");
        const QPoint icon(640, 10);
        if (!panelShows()) {
            QDBusMessage activate =
                QDBusMessage::createMethodCall(m_item, itemPath, itemInterface, QStringLiteral("Activate"));
            activate << icon.x() << icon.y();
            QDBusConnection::sessionBus().call(activate, QDBus::Block, 2000);
            QVERIFY(TestBus::waitFor(panelShows));
        }
        const bool active = RunningCorvane::property(QStringLiteral("Active")).toBool();
        QVERIFY(xdotool(QStringList{"mousemove", QString::number(icon.x()), QString::number(icon.y())} + click));
        if (toggles) {
            QVERIFY(TestBus::waitFor(
                [active] { return RunningCorvane::property(QStringLiteral("Active")).toBool() != active; }));
            QVERIFY(panelShows());
        } else {
            QVERIFY(TestBus::waitFor([] { return !panelShows(); }));
            QCOMPARE(RunningCorvane::property(QStringLiteral("Active")).toBool(), active);
        }
    }

    // The tooltip gives the program's end as the panel does (the panel's own sentences are
    // its view's table): to the minute, seconds dropped, with the day for an end on another.
    // Beside the label this host shows, that is all it says.
    void toolTipGivesTheEndWithItsDay()
    {
        QCOMPARE(commandLine({QStringLiteral("--for"), QStringLiteral("25h")}), 0);
        QVERIFY(TestBus::waitFor([this] { return toolTipText(m_item).startsWith(QStringLiteral("Awake until ")); }));
        const QDateTime end =
            QDateTime::fromString(RunningCorvane::property(QStringLiteral("EndTime")).toString(), Qt::ISODate);
        const PeriodEnd at = PeriodEnd::of(end.toLocalTime(), QDateTime::currentDateTime(), QLocale::system());
        QVERIFY(at.daysAhead >= 1);
        const QString day = at.daysAhead == 1 ? QStringLiteral("tomorrow") : at.weekday;
        QCOMPARE(toolTipText(m_item), QStringLiteral("Awake until %1 %2").arg(day, at.time));
        QCOMPARE(commandLine({QStringLiteral("--stop")}), 0);
    }

    void registersAgainWhenTheWatcherRestarts()
    {
        m_watcher.reset();
        m_watcher =
            std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("sni_watcher.py")), false, watcherName);
        QVERIFY(TestBus::waitFor([this] { return registeredItems().contains(m_item); }, 5000));
    }

    // Last: the session bus daemon is killed and another started at the same address, as
    // when a session's bus restarts. Everything on the bus is on the new one afterwards.
    void comesBackOnAReplacedSessionBus()
    {
        m_watcher.reset();
        QVERIFY(TestBus::replaceBus(false));
        m_watcher =
            std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("sni_watcher.py")), false, watcherName);
        MockService notifications(QStringLiteral("notification_daemon"), false,
                                  QStringLiteral("org.freedesktop.Notifications"));
        QVERIFY(notifications.isRunning());

        // The icon: the item is exported and registered with the new watcher.
        QVERIFY(TestBus::waitFor([this] { return registeredItems().contains(m_item); }, 8000));
        QCOMPARE(itemProperty(m_item, QStringLiteral("ItemIsMenu")).toBool(), false);
        // The program's name and interface: a command drives this instance, not one of its own.
        QVERIFY(TestBus::waitFor(
            [] {
                return commandLine({QStringLiteral("--for"), QStringLiteral("1h")}) == 0;
            },
            8000));
        QString status;
        QCOMPARE(commandLine({QStringLiteral("--status"), QStringLiteral("--json")}, &status), 0);
        QCOMPARE(QJsonDocument::fromJson(status.toUtf8()).object().value(QStringLiteral("active")).toBool(), true);
        QCOMPARE(blockLocks().size(), 1);

        // A notification: the battery guard stops the period and says why.
        setBatteryPercent(*m_upower, 19);
        QVERIFY(TestBus::waitFor([&] { return notifyCalls(notifications).size() == 1; }, 5000));
        QVERIFY2(notifyCalls(notifications).first().contains(QLatin1String("battery")),
                 qPrintable(notifyCalls(notifications).first()));
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

    void cleanupTestCase()
    {
        if (m_corvane && m_corvane->state() != QProcess::NotRunning) {
            TestBus::bus(false).call(
                QDBusMessage::createMethodCall(SingleInstance::serviceName, SingleInstance::objectPath,
                                               SingleInstance::serviceName, QStringLiteral("Quit")));
            QVERIFY(exitedWithZero(*m_corvane));
        }
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

private:
    QTemporaryDir m_config;
    std::unique_ptr<MockService> m_watcher;
    std::unique_ptr<MockService> m_upower;
    std::unique_ptr<QProcess> m_corvane;
    QString m_item;
};

QTEST_GUILESS_MAIN(StatusNotifierEndToEndTest)
#include "tst_StatusNotifierEndToEnd.moc"
