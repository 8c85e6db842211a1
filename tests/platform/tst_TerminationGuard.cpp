// SPDX-License-Identifier: GPL-3.0-or-later
// The guard's four ways out. Signals, exit() and quit end a process, so those run in a
// child (guard_child) over a recording backend; power-off runs here.
#include "RecordingInhibitor.h"
#include "TestSupport.h"
#include "platform/LogindShutdownDelayLock.h"
#include "wake/SystemEvents.h"
#include "wake/PowerAssertionManager.h"
#include "wake/TerminationGuard.h"

#include <QtTest>
#include <csignal>

namespace {
struct ChildResult {
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QStringList calls;
};

// Runs guard_child in `mode`; sends `signalNumber` once it is ready, when non-zero.
ChildResult runChild(const QString &mode, int signalNumber = 0)
{
    QProcess child;
    child.start(QStringLiteral(CORVANE_GUARD_CHILD), {mode});
    ChildResult result;
    if (!child.waitForStarted(5000))
        return result;
    if (signalNumber) {
        if (!child.waitForReadyRead(5000) || child.readLine().trimmed() != "ready")
            return result;
        ::kill(pid_t(child.processId()), signalNumber);
    }
    child.waitForFinished(10000);
    result.exitCode = child.exitCode();
    result.exitStatus = child.exitStatus();
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    result.calls = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.calls.removeAll(QStringLiteral("ready"));
    return result;
}

// The exit hook keeps using what the guard was given until the process is gone, so none
// of it is ever destroyed.
struct Installed {
    RecordingInhibitor backend;
    SystemEvents events;
    BusConnections buses;
    LogindShutdownDelayLock delayLock{events, buses};
    PowerAssertionManager power{backend, &delayLock};
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
    void eachSignalReleasesOnceAndExitsZero_data()
    {
        QTest::addColumn<int>("signalNumber");
        for (const int sig : TerminationGuard::handledSignals)
            QTest::addRow("%s", strsignal(sig)) << sig;
    }
    void eachSignalReleasesOnceAndExitsZero()
    {
        QFETCH(int, signalNumber);
        const ChildResult result = runChild(QStringLiteral("held"), signalNumber);
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 0);
        // The signal handler releases and the exit hook then finds nothing.
        QCOMPARE(result.calls, heldThenReleasedOnce);
    }

    void exitFromAnotherThreadReleasesOnce()
    {
        const ChildResult result = runChild(QStringLiteral("exit-thread"));
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 7);
        QCOMPARE(result.calls, heldThenReleasedOnce);
    }

    void normalQuitReleasesOnce()
    {
        const ChildResult result = runChild(QStringLiteral("quit"));
        QCOMPARE(result.exitCode, 0);
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
