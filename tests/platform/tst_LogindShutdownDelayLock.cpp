// SPDX-License-Identifier: GPL-3.0-or-later
// The shutdown delay lock against python3-dbusmock's logind on the private system bus.
#include "TestSupport.h"
#include "platform/LogindShutdownDelayLock.h"
#include "platform/LogindSystemEvents.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString login1 = QStringLiteral("org.freedesktop.login1");

QStringList delayLocks()
{
    return TestBus::logindInhibitors().filter(QRegularExpression(QStringLiteral("^shutdown\\|Corvane\\|.*\\|delay$")));
}

void announcePowerOff(bool starting)
{
    QDBusMessage emitSignal =
        QDBusMessage::createMethodCall(login1, QStringLiteral("/org/freedesktop/login1"),
                                       QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    emitSignal << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForShutdown")
               << QStringLiteral("b") << QVariantList{starting};
    TestBus::bus(true).call(emitSignal);
}
} // namespace

class LogindShutdownDelayLockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        CORVANE_REQUIRE(TestBus::bus(true).interface()->isServiceRegistered(login1).value(), "the logind mock");
    }

    void aLockIsKeptOnlyOutsideAPowerOff()
    {
        BusConnections buses;
        LogindSystemEvents events(buses);
        LogindShutdownDelayLock lock(events, buses);
        // A lock logind answers after the program let go of it is not kept.
        lock.arm();
        QVERIFY(lock.isRequesting());
        lock.letGo();
        QVERIFY(TestBus::waitFor([&] { return !lock.isRequesting(); }));
        QVERIFY(!lock.isHeld());
        QVERIFY(delayLocks().isEmpty());

        QSignalSpy poweringOff(&events, &SystemEvents::willPowerOff);
        announcePowerOff(true);
        QVERIFY(poweringOff.wait(3000));

        lock.arm();
        QVERIFY(!lock.isRequesting());
        QVERIFY(!lock.isHeld());

        announcePowerOff(false);
        QVERIFY(TestBus::waitFor([&] { return lock.isHeld() && delayLocks().size() == 1; }));
        lock.disarm();
        QVERIFY(TestBus::waitFor([] { return delayLocks().isEmpty(); }));
    }
};

QTEST_GUILESS_MAIN(LogindShutdownDelayLockTest)
#include "tst_LogindShutdownDelayLock.moc"
