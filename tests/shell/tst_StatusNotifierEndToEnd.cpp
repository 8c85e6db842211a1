// SPDX-License-Identifier: GPL-3.0-or-later
// The real program talking StatusNotifierItem to a stand-in panel, for what the real
// desktops (tests/desktops) do not show: ContextMenu, how often the item signals, and
// registering again with a restarted watcher.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"

#include <QDBusArgument>
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
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return qdbus_cast<QStringList>(qvariant_cast<QDBusVariant>(reply.arguments().first()).variant());
}

QVariant itemProperty(const QString &service, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, itemPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << itemInterface << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage ? qvariant_cast<QDBusVariant>(reply.arguments().first()).variant()
                                                      : QVariant();
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
        QTest::qWait(200); // the signal for "2m" itself may still be on its way
        const int before = int(listener.labels.size());
        const int titlesBefore = listener.titles;
        const int toolTipsBefore = listener.toolTips;
        QTest::qWait(2300);
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
        QTest::qWait(3200);
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

    void registersAgainWhenTheWatcherRestarts()
    {
        m_watcher.reset();
        m_watcher =
            std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("sni_watcher.py")), false, watcherName);
        QVERIFY(TestBus::waitFor([this] { return registeredItems().contains(m_item); }, 5000));
    }

    void cleanupTestCase()
    {
        if (m_corvane && m_corvane->state() != QProcess::NotRunning) {
            call(QStringLiteral("Quit"));
            QVERIFY(exitedWithZero(*m_corvane));
        }
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

private:
    QTemporaryDir m_config;
    std::unique_ptr<MockService> m_watcher;
    std::unique_ptr<QProcess> m_corvane;
    QString m_item;
};

QTEST_GUILESS_MAIN(StatusNotifierEndToEndTest)
#include "tst_StatusNotifierEndToEnd.moc"
