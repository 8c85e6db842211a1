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

    explicit Harness(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000))
        : sleeper(LinuxDisplaySleeper::Options{std::chrono::milliseconds(20), timeout,
                                               [this] {
                                                   ++x11Calls;
                                                   return x11Result;
                                               }},
                  buses),
          finished(&sleeper, &LinuxDisplaySleeper::finished)
    {}

    LinuxDisplaySleeper::Route run()
    {
        sleeper.turnDisplayOffNow();
        if (!TestBus::waitFor([this] { return finished.count() > 0; }, 8000))
            return LinuxDisplaySleeper::Route(-1);
        return finished.takeFirst().at(0).value<LinuxDisplaySleeper::Route>();
    }
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

    void withNoRouteTheCallReturnsBeforeAnythingIsAsked()
    {
        Harness h;
        h.sleeper.turnDisplayOffNow();
        // Nothing was waited for: not even the bus has answered yet.
        QCOMPARE(h.finished.count(), 0);
        QCOMPARE(h.x11Calls, 0);
        h.x11Result = false;
        QVERIFY(TestBus::waitFor([&] { return h.finished.count() == 1; }));
        QCOMPARE(h.finished.takeFirst().at(0).value<LinuxDisplaySleeper::Route>(), LinuxDisplaySleeper::Route::none);
        QCOMPARE(h.x11Calls, 1);
    }

    void kdeComesFirstAndLeavesTheOthersAlone()
    {
        MockService kde(TestBus::mockTemplate(QStringLiteral("kglobalaccel.py")), false, kdeName);
        MockService mutter(TestBus::mockTemplate(QStringLiteral("mutter_display_config.py")), false, mutterName);
        Harness h;
        QCOMPARE(h.run(), LinuxDisplaySleeper::Route::kdeGlobalAccel);
        QCOMPARE(kde.calls(kdeComponent), QStringList{QStringLiteral("invokeShortcut Turn Off Screen")});
        QCOMPARE(powerSaveMode(), QVariant(0));
        QCOMPARE(h.x11Calls, 0);
    }

    void aFailingRouteHandsOverToTheNext_data()
    {
        QTest::addColumn<bool>("kdeFails");
        QTest::addColumn<bool>("kdeHangs");
        QTest::newRow("kde refuses") << true << false;
        QTest::newRow("kde does not answer") << false << true;
    }

    void aFailingRouteHandsOverToTheNext()
    {
        QFETCH(bool, kdeFails);
        QFETCH(bool, kdeHangs);
        MockService kde(TestBus::mockTemplate(QStringLiteral("kglobalaccel.py")), false, kdeName,
                        {{QStringLiteral("fail"), kdeFails}, {QStringLiteral("hang"), kdeHangs}});
        MockService mutter(TestBus::mockTemplate(QStringLiteral("mutter_display_config.py")), false, mutterName);
        Harness h(std::chrono::milliseconds(400));
        QCOMPARE(h.run(), LinuxDisplaySleeper::Route::gnomeMutter);
        const QVariant mode = powerSaveMode();
        QCOMPARE(mode.metaType(), QMetaType::fromType<int>());
        QCOMPARE(mode.toInt(), 3);
        QCOMPARE(h.x11Calls, 0);
    }

    void mutterIsLeftAloneWhileItCannotSaveAndX11IsTried()
    {
        MockService mutter(TestBus::mockTemplate(QStringLiteral("mutter_display_config.py")), false, mutterName,
                           {{QStringLiteral("mode"), -1}});
        Harness h;
        QCOMPARE(h.run(), LinuxDisplaySleeper::Route::x11Dpms);
        QCOMPARE(powerSaveMode(), QVariant(-1));
        QCOMPARE(h.x11Calls, 1);
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
