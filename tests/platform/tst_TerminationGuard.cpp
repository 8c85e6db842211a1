// SPDX-License-Identifier: GPL-3.0-or-later
// The guard's ways out that the real program's suite cannot reach: exit() from another
// thread, in a child (guard_child) over a recording backend, and power-off, here. Signals
// and quit are checked on the real program against logind (tst_CorvaneProcess).
#include "RecordingInhibitor.h"
#include "TestSupport.h"
#include "platform/LogindShutdownDelayLock.h"
#include "wake/SystemEvents.h"
#include "wake/PowerAssertionManager.h"
#include "wake/SystemClock.h"
#include "wake/TerminationGuard.h"

#include <QtTest>

namespace {
struct ChildResult {
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QStringList calls;
};

// Runs guard_child to its end.
ChildResult runChild()
{
    QProcess child;
    child.start(QStringLiteral(CORVANE_GUARD_CHILD));
    ChildResult result;
    if (!child.waitForStarted(5000))
        return result;
    child.waitForFinished(10000);
    result.exitCode = child.exitCode();
    result.exitStatus = child.exitStatus();
    result.calls = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return result;
}

// The exit hook keeps using what the guard was given until the process is gone, so none
// of it is ever destroyed.
struct Installed {
    RecordingInhibitor backend;
    SystemEvents events;
    BusConnections buses;
    LogindShutdownDelayLock delayLock{events, buses};
    SystemClock clock;
    PowerAssertionManager power{backend, &delayLock, clock};
};
Installed &installed()
{
    static Installed *const parts = new Installed;
    return *parts;
}

const QStringList heldThenReleasedOnce{QStringLiteral("acquire systemOnly child"), QStringLiteral("release 1")};
} // namespace

class TerminationGuardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exitFromAnotherThreadReleasesOnce()
    {
        const ChildResult result = runChild();
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 7);
        QCOMPARE(result.calls, heldThenReleasedOnce);
    }

    void powerOffReleasesBeforeLettingLogindGoOn()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected(), "a private system bus with the logind mock");
        Installed &i = installed();
        // In this process from here on: the guard is installed for good.
        TerminationGuard::install({i.power, i.events, &i.delayLock});
        // Idle, the program holds nothing of its own at logind, not even the delay lock.
        QTest::qWait(100);
        QVERIFY(TestBus::logindInhibitors().isEmpty());

        i.power.acquire(AssertionMode::displayAndSystem, QStringLiteral("r"));
        QVERIFY(TestBus::waitFor([&] { return i.delayLock.isHeld(); }));
        QCOMPARE(TestBus::logindInhibitors().size(), 1);
        QVERIFY(TestBus::logindInhibitors().constFirst().startsWith(QLatin1String("shutdown|Corvane|")));
        QVERIFY(TestBus::logindInhibitors().constFirst().endsWith(QLatin1String("|delay")));

        auto assertionsWhenLettingGo = std::make_shared<size_t>(99);
        connect(
            &i.delayLock, &LogindShutdownDelayLock::heldChanged, this,
            [&i, assertionsWhenLettingGo] { *assertionsWhenLettingGo = i.backend.live.size(); },
            Qt::SingleShotConnection);
        Q_EMIT i.events.willPowerOff();
        QCOMPARE(i.backend.releases.load(), 1);
        QVERIFY(!i.delayLock.isHeld());
        QCOMPARE(*assertionsWhenLettingGo, size_t(0));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));

        i.power.release();
    }

    void aLockAnsweredDuringPowerOffIsNotKept()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected(), "a private system bus with the logind mock");
        SystemEvents events;
        BusConnections buses;
        LogindShutdownDelayLock lock(events, buses);
        lock.arm();
        QVERIFY(lock.isRequesting());
        lock.letGo(); // before logind has answered
        QVERIFY(TestBus::waitFor([&] { return !lock.isRequesting(); }));
        QVERIFY(!lock.isHeld());
        QVERIFY(TestBus::logindInhibitors().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TerminationGuardTest)
#include "tst_TerminationGuard.moc"
