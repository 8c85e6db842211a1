// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on the private buses of scripts/test-env, driven through its
// public interface and its command line: every way out gives the logind lock back, and no
// surface reads "awake" while nothing holds. (A second launch handing over: tst_NoTrayWindow.)
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "wake/TerminationGuard.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QtTest>
#include <csignal>
#include <memory>

using namespace RunningCorvane;

namespace {
const QString logindName = QStringLiteral("org.freedesktop.login1");

bool logindRuns()
{
    return TestBus::bus(true).interface()->isServiceRegistered(logindName).value();
}

// Nothing on the system bus can hold any more: logind's mock goes, with what it held.
bool stopLogind()
{
    const uint pid = TestBus::bus(true).interface()->servicePid(logindName).value();
    return pid > 0 && ::kill(pid_t(pid), SIGTERM) == 0 && TestBus::waitFor([] { return !logindRuns(); });
}

QString panelTexts()
{
    return control("PanelTexts").arguments().value(0).toStringList().join('\n');
}

// The processes `pid` started that are still there.
QList<pid_t> childrenOf(qint64 pid)
{
    QList<pid_t> out;
    for (const QByteArray &child : readFile(QStringLiteral("/proc/%1/task/%1/children").arg(pid)).split(' '))
        if (child.toInt() > 0)
            out << child.toInt();
    return out;
}

bool gone(pid_t pid)
{
    return readFile(QStringLiteral("/proc/%1/stat").arg(pid)).split(' ').value(2, "Z") == "Z";
}
} // namespace

class CorvaneProcessTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected() && QDBusConnection::sessionBus().isConnected(),
                        "private buses with the logind mock");
        m_corvane = launchIdle();
        QVERIFY(m_corvane);
    }

    void cleanup()
    {
        // A fresh logind's mock where a test stopped the one of the environment.
        if (!logindRuns())
            restartLogind();
        end(m_corvane);
    }

    // Every way out, a signal or Quit (0), with and without a period.
    void everyWayOutGivesTheLockBackAndExitsZero_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("holding");
        for (const int sig : TerminationGuard::handledSignals) {
            QTest::addRow("%s holding", strsignal(sig)) << sig << true;
            QTest::addRow("%s idle", strsignal(sig)) << sig << false;
        }
        QTest::addRow("Quit holding") << 0 << true;
    }
    void everyWayOutGivesTheLockBackAndExitsZero()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, holding);
        TestBus::clearLogindCalls();
        if (holding) {
            call("Start", {60u});
            // The previous row's process may still be on its way out of logind's list.
            const QStringList ours{"idle:sleep|Corvane|Corvane: keeping this computer awake for 1 h|block"};
            QVERIFY(TestBus::waitFor([&] { return state() == "active held" && blockLocks() == ours; }));
        }
        if (signalNumber)
            ::kill(pid_t(m_corvane->processId()), signalNumber);
        else
            call("Quit");
        QVERIFY(exitedWithZero(*m_corvane));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        // Idle, nothing was asked for on the way out either.
        QVERIFY(holding || TestBus::logindCalls().filter("Inhibit ").isEmpty());
    }

    // The service holding the period goes and nothing else can hold: every surface says
    // so, the period runs on, and it is held again as soon as a service answers.
    void aLostInhibitionNeverReadsAwake()
    {
        QCOMPARE(commandLine({"--for", "30m"}), 0);
        QCOMPARE(RunningCorvane::property("Held"), QVariant(true));
        QVERIFY(stopLogind());
        QVERIFY(TestBus::waitFor([] { return RunningCorvane::property("Held") == QVariant(false); }));
        QCOMPARE(RunningCorvane::property("Active"), QVariant(true));

        QString output;
        QCOMPARE(commandLine({"--status"}, &output), 1);
        QVERIFY2(output.contains("not being kept awake") && !output.contains("Keeping"), qPrintable(output));
        QVERIFY2(panelTexts().contains("NOT AWAKE."), qPrintable(panelTexts()));

        restartLogind();
        QVERIFY(TestBus::waitFor(
            [] { return RunningCorvane::property("Held") == QVariant(true) && blockLocks().size() == 1; }, 5000));
        QCOMPARE(commandLine({"--status"}, &output), 0);
        QVERIFY2(output.startsWith("Keeping this computer awake for "), qPrintable(output));
        QVERIFY2(panelTexts().contains("\nAWAKE."), qPrintable(panelTexts()));
    }

    // A command run through the tray: the tray holds for the command line's process, and
    // only for as long as it lives, and never ends a period the user started. Killed
    // outright, the command line takes its command along (the kernel sends it a signal).
    void aCommandsHoldGoesWithTheCommandLine_data()
    {
        QTest::addColumn<bool>("userPeriod");
        QTest::addColumn<bool>("killTheCommandLine"); // else the command ends
        QTest::addRow("the command ends") << false << false;
        QTest::addRow("the command line is killed") << false << true;
        QTest::addRow("the command ends in the user's period") << true << false;
        QTest::addRow("the command line is killed in the user's period") << true << true;
    }
    void aCommandsHoldGoesWithTheCommandLine()
    {
        QFETCH(bool, userPeriod);
        QFETCH(bool, killTheCommandLine);
        if (userPeriod)
            QCOMPARE(call("Start", {240u}).type(), QDBusMessage::ReplyMessage);
        QProcess commandLine;
        commandLine.setProcessChannelMode(QProcess::ForwardedChannels);
        commandLine.start(CORVANE_BINARY, {"--", "sleep", "30"});
        // The command runs once the hold is in place.
        QVERIFY(TestBus::waitFor([&] { return !childrenOf(commandLine.processId()).isEmpty(); }, 5000));
        const pid_t command = childrenOf(commandLine.processId()).first();
        QCOMPARE(RunningCorvane::property("Held"), QVariant(true));
        ::kill(killTheCommandLine ? pid_t(commandLine.processId()) : command, SIGKILL);
        QVERIFY(commandLine.waitForFinished(5000));
        QVERIFY(TestBus::waitFor([&] { return gone(command); }));
        if (userPeriod) {
            // The user's period carries on with its own end.
            QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
            QCOMPARE(RunningCorvane::property("Active"), QVariant(true));
            QVERIFY(RunningCorvane::property("RemainingSeconds").toLongLong() > 230 * 60);
        } else {
            QVERIFY(TestBus::waitFor(
                [] { return RunningCorvane::property("Active") == QVariant(false) && blockLocks().isEmpty(); }));
        }
    }

    // A command line that gave up on a busy tray leaves the user's period as it was: the
    // start it sent is dropped when the tray gets to it, and nothing else is sent.
    void aStartGivenUpOnLeavesTheUsersPeriod()
    {
        QCOMPARE(call("Start", {240u}).type(), QDBusMessage::ReplyMessage);
        ::kill(pid_t(m_corvane->processId()), SIGSTOP);
        QString output;
        const int status = commandLine({"--for", "30m"}, &output);
        ::kill(pid_t(m_corvane->processId()), SIGCONT);
        QCOMPARE(status, 1);
        QVERIFY2(output.contains("did not answer"), qPrintable(output));
        // Answered once any start before it is decided.
        QCOMPARE(call("Hold").type(), QDBusMessage::ReplyMessage);
        call("Release");
        QVERIFY(RunningCorvane::property("RemainingSeconds").toLongLong() > 230 * 60);
        QCOMPARE(blockLocks().size(), 1);
    }

private:
    void restartLogind() { m_logind = std::make_unique<MockService>("logind", true, logindName); }

    std::unique_ptr<QProcess> m_corvane;
    std::unique_ptr<MockService> m_logind;
};

QTEST_GUILESS_MAIN(CorvaneProcessTest)
#include "tst_CorvaneProcess.moc"
