// SPDX-License-Identifier: GPL-3.0-or-later
// The display-off routes against our mocks of KDE's kglobalaccel and GNOME Mutter on the
// private session bus; the X11 route is replaced by a recorder.
#include "TestSupport.h"
#include "platform/LinuxDisplaySleeper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString kdeName = QStringLiteral("org.kde.kglobalaccel");
const QString mutterName = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString mutterPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");

QVariant powerSaveMode()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        mutterName, mutterPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << mutterName << QStringLiteral("PowerSaveMode");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}
} // namespace

class LinuxDisplaySleeperTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // KDE's shortcut first, then Mutter's power saving, then X11's DPMS: each route is tried
    // only when the one before is missing or fails, and the call returns before any is asked.
    void routesInOrder_data()
    {
        QTest::addColumn<QVariant>("kde"); // the mock's parameters; none: no service
        QTest::addColumn<QVariant>("mutterMode"); // none: no service; -1: it cannot save
        QTest::addColumn<LinuxDisplaySleeper::Route>("route");
        QTest::addColumn<QVariant>("modeAfter");
        QTest::addColumn<int>("x11");
        using Route = LinuxDisplaySleeper::Route;
        const QVariant none;
        const QVariant kde = QVariantMap();
        QTest::newRow("KDE leaves the others alone") << kde << QVariant(0) << Route::kdeGlobalAccel << QVariant(0) << 0;
        QTest::newRow("KDE does not answer") << QVariant(QVariantMap{{QStringLiteral("hang"), true}}) << QVariant(0)
                                             << Route::gnomeMutter << QVariant(3) << 0;
        QTest::newRow("Mutter cannot save") << none << QVariant(-1) << Route::x11Dpms << QVariant(-1) << 1;
        QTest::newRow("nothing answers") << none << none << Route::none << none << 1;
    }

    void routesInOrder()
    {
        QFETCH(QVariant, kde);
        QFETCH(QVariant, mutterMode);
        QFETCH(LinuxDisplaySleeper::Route, route);
        QFETCH(QVariant, modeAfter);
        QFETCH(int, x11);
        CORVANE_REQUIRE(QDBusConnection::sessionBus().isConnected() && qEnvironmentVariableIsSet("CORVANE_TEST_WORK"),
                        "a private session bus");
        std::unique_ptr<MockService> kdeService, mutterService;
        if (kde.isValid())
            kdeService = std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("kglobalaccel.py")), false,
                                                       kdeName, kde.toMap());
        if (mutterMode.isValid())
            mutterService =
                std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("mutter_display_config.py")), false,
                                              mutterName, QVariantMap{{QStringLiteral("mode"), mutterMode}});
        int x11Calls = 0;
        BusConnections buses;
        LinuxDisplaySleeper sleeper(
            LinuxDisplaySleeper::Options{std::chrono::milliseconds(20), std::chrono::milliseconds(1000),
                                         [&] {
                                             ++x11Calls;
                                             return route == LinuxDisplaySleeper::Route::x11Dpms;
                                         }},
            buses);
        QSignalSpy finished(&sleeper, &LinuxDisplaySleeper::finished);
        sleeper.turnDisplayOffNow();
        // Nothing was waited for: not even the bus has answered yet.
        QCOMPARE(finished.count(), 0);
        QCOMPARE(x11Calls, 0);
        QVERIFY(TestBus::waitFor([&] { return finished.count() == 1; }, 8000));
        QCOMPARE(finished.takeFirst().at(0).value<LinuxDisplaySleeper::Route>(), route);
        if (kdeService)
            QCOMPARE(kdeService->calls(QStringLiteral("/component/org_kde_powerdevil")),
                     QStringList{QStringLiteral("invokeShortcut Turn Off Screen")});
        const QVariant mode = powerSaveMode();
        QCOMPARE(mode, modeAfter);
        QCOMPARE(mode.metaType(), modeAfter.metaType());
        QCOMPARE(x11Calls, x11);
    }
};

QTEST_GUILESS_MAIN(LinuxDisplaySleeperTest)
#include "tst_LinuxDisplaySleeper.moc"
