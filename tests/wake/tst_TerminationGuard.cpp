// SPDX-License-Identifier: GPL-3.0-or-later
// The guard's ways out that the real program's suite cannot reach: exit() from another
// thread, in a child (guard_child) over a recording backend, before and after the stack
// that owns the guard is gone; and power-off against the logind mock, here. Signals and
// quit are checked on the real program against logind (tst_CorvaneProcess).
#include "RecordingInhibitor.h"
#include "TestSupport.h"
#include "platform/LogindShutdownDelayLock.h"
#include "wake/SystemClock.h"
#include "wake/SystemEvents.h"
#include "wake/WakeStack.h"

#include <QtTest>

class TerminationGuardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: what guard_child does before a thread calls exit(7); the backend calls it
    // printed on its way out. The exit hook outlives every guard, so it must act on the
    // guard of the moment and on nothing already destroyed.
    void exitFromAnotherThreadReleasesOnce_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("held") << "held" << QStringList{"acquire systemOnly child", "release 1"};
        QTest::newRow("stack torn down") << "torn down" << QStringList{"acquire systemOnly child", "release 1"};
        QTest::newRow("stack rebuilt") << "rebuilt"
                                       << QStringList{"acquire systemOnly child", "release 1",
                                                      "acquire systemOnly child", "release 2"};
    }
    void exitFromAnotherThreadReleasesOnce()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, calls);
        QProcess child;
        child.start(QStringLiteral(CORVANE_GUARD_CHILD), {before});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 7);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), calls);
    }

    void powerOffReleasesBeforeLettingLogindGoOn()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected(), "a private system bus with the logind mock");
        RecordingInhibitor backend;
        MemorySettingsStore settings;
        SystemClock clock;
        SystemEvents events;
        BusConnections buses;
        LogindShutdownDelayLock delayLock{events, buses};
        WakeStack stack({backend, &delayLock, settings, TimerServiceEnvironment{clock, events}},
                        WakeStack::Guard::allWaysOut);
        stack.manager().acquire(AssertionMode::displayAndSystem, QStringLiteral("r"));
        QVERIFY(TestBus::waitFor([&] { return delayLock.isHeld(); }));

        size_t assertionsWhenLettingGo = 99;
        connect(
            &delayLock, &LogindShutdownDelayLock::heldChanged, this,
            [&] { assertionsWhenLettingGo = backend.live.size(); }, Qt::SingleShotConnection);
        Q_EMIT events.willPowerOff();
        QCOMPARE(backend.releases.load(), 1);
        QVERIFY(!delayLock.isHeld());
        QCOMPARE(assertionsWhenLettingGo, size_t(0));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }
};

QTEST_GUILESS_MAIN(TerminationGuardTest)
#include "tst_TerminationGuard.moc"
