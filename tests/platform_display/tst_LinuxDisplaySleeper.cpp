// SPDX-License-Identifier: GPL-3.0-or-later
// The display-off routes against our mocks of KDE's kglobalaccel and GNOME Mutter on the
// private session bus; the X11 route is replaced by a recorder except where noted.
#include "TestSupport.h"
#include "platform/LinuxDisplaySleeper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QtTest>

#include <X11/Xlib.h>

namespace {
const QString kdeName = QStringLiteral("org.kde.kglobalaccel");
const QString kdeComponent = QStringLiteral("/component/org_kde_powerdevil");
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

struct Harness {
    int x11Calls = 0;
    bool x11Result = true;
    BusConnections buses;
    LinuxDisplaySleeper sleeper;
    QSignalSpy finished;

    Harness()
        : sleeper(LinuxDisplaySleeper::Options{std::chrono::milliseconds(20), std::chrono::milliseconds(1000),
                                               [this] {
                                                   ++x11Calls;
                                                   return x11Result;
                                               }},
                  buses),
          finished(&sleeper, &LinuxDisplaySleeper::finished)
    {}
};
} // namespace

class LinuxDisplaySleeperTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        CORVANE_REQUIRE(QDBusConnection::sessionBus().isConnected() && qEnvironmentVariableIsSet("CORVANE_TEST_WORK"),
                        "a private session bus");
    }

    // KDE's shortcut first, then Mutter's power saving, then X11's DPMS: each route is tried
    // only when the one before is missing or fails, and the call returns before any is asked.
    void routesInOrder_data()
    {
        QTest::addColumn<QVariant>("kde"); // the mock's parameters; none: no service
        QTest::addColumn<QVariant>("mutterMode"); // none: no service; -1: it cannot save
        QTest::addColumn<LinuxDisplaySleeper::Route>("route");
        QTest::addColumn<QVariant>("modeAfter");
        QTest::addColumn<int>("x11Calls");
        using Route = LinuxDisplaySleeper::Route;
        const QVariant none;
        const QVariant kde = QVariantMap();
        QTest::newRow("KDE leaves the others alone") << kde << QVariant(0) << Route::kdeGlobalAccel << QVariant(0) << 0;
        QTest::newRow("KDE refuses") << QVariant(QVariantMap{{QStringLiteral("fail"), true}}) << QVariant(0)
                                     << Route::gnomeMutter << QVariant(3) << 0;
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
        QFETCH(int, x11Calls);
        std::unique_ptr<MockService> kdeService, mutterService;
        if (kde.isValid())
            kdeService = std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("kglobalaccel.py")), false,
                                                       kdeName, kde.toMap());
        if (mutterMode.isValid())
            mutterService =
                std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("mutter_display_config.py")), false,
                                              mutterName, QVariantMap{{QStringLiteral("mode"), mutterMode}});
        Harness h;
        h.x11Result = route == LinuxDisplaySleeper::Route::x11Dpms;
        h.sleeper.turnDisplayOffNow();
        // Nothing was waited for: not even the bus has answered yet.
        QCOMPARE(h.finished.count(), 0);
        QCOMPARE(h.x11Calls, 0);
        QVERIFY(TestBus::waitFor([&] { return h.finished.count() == 1; }, 8000));
        QCOMPARE(h.finished.takeFirst().at(0).value<LinuxDisplaySleeper::Route>(), route);
        if (kdeService)
            QCOMPARE(kdeService->calls(kdeComponent), QStringList{QStringLiteral("invokeShortcut Turn Off Screen")});
        const QVariant mode = powerSaveMode();
        QCOMPARE(mode, modeAfter);
        QCOMPARE(mode.metaType(), modeAfter.metaType());
        QCOMPARE(h.x11Calls, x11Calls);
    }

    void anAbandonedAttemptCallsNothingBack()
    {
        MockService kde(TestBus::mockTemplate(QStringLiteral("kglobalaccel.py")), false, kdeName,
                        {{QStringLiteral("hang"), true}});
        int x11Calls = 0;
        BusConnections buses;
        {
            LinuxDisplaySleeper sleeper(LinuxDisplaySleeper::Options{std::chrono::milliseconds(0),
                                                                     std::chrono::milliseconds(300),
                                                                     [&] { return ++x11Calls, true; }},
                                        buses);
            sleeper.turnDisplayOffNow();
            // Once the bus has told it the service is there, its call is on the way.
            QVERIFY(
                TestBus::drain(buses.connection(BusConnections::Bus::Session), QStringLiteral("org.freedesktop.DBus")));
        }
        // A call of our own with the same time limit, sent later, gives up later: by then
        // the abandoned one has given up too, and whatever it set off has had its turn.
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            kdeName, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        QDBusPendingCallWatcher ours(QDBusConnection::sessionBus().asyncCall(ping, 300));
        QSignalSpy gaveUp(&ours, &QDBusPendingCallWatcher::finished);
        QVERIFY(gaveUp.wait(5000));
        QVERIFY(ours.isError());
        for (int round = 0; round < 3; ++round)
            QVERIFY(TestBus::drain(QDBusConnection::sessionBus(), QStringLiteral("org.freedesktop.DBus")));
        QCOMPARE(x11Calls, 0);
    }

    void dpmsOnAServerWithoutItIsARefusalNotACrash()
    {
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY"), "the test X server");
        Display *display = XOpenDisplay(nullptr);
        QVERIFY(display);
        int opcode = 0, event = 0, error = 0;
        const bool hasDpms = XQueryExtension(display, "DPMS", &opcode, &event, &error);
        XCloseDisplay(display);
        QCOMPARE(LinuxDisplaySleeper::forceOffWithDpms(), hasDpms);
    }
};

QTEST_GUILESS_MAIN(LinuxDisplaySleeperTest)
#include "tst_LinuxDisplaySleeper.moc"
