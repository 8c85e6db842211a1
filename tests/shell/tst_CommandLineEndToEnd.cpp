// SPDX-License-Identifier: GPL-3.0-or-later
// The command line with no Corvane running: it holds its own inhibition (logind's, on the
// private system bus) for as long as asked, and gives it back on every way out.
#include "RunningCorvane.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QtTest>
#include <csignal>

using namespace RunningCorvane;

namespace {
std::unique_ptr<QProcess> startCommandLine(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QStringLiteral(CORVANE_BINARY), arguments);
    return process;
}
} // namespace

class CommandLineEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected() && QDBusConnection::sessionBus().isConnected(),
                        "private buses with the logind mock");
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

    void holdsUntilItEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signalNumber"); // 0: none, it ends by itself
        QTest::addColumn<int>("exitCode"); // -1: killed

        QTest::addRow("a command's status") << QStringList{"--", "sh", "-c", "sleep 1; exit 3"} << 0 << 3;
        QTest::addRow("SIGTERM") << QStringList{"--indefinitely"} << SIGTERM << 0;
        QTest::addRow("SIGKILL") << QStringList{"--for", "30m"} << SIGKILL << -1;
        QTest::addRow("SIGTERM goes on to the command") << QStringList{"--", "sleep", "30"} << SIGTERM << 128 + SIGTERM;
        QTest::addRow("SIGINT goes on to the command") << QStringList{"--", "sleep", "30"} << SIGINT << 128 + SIGINT;
    }
    void holdsUntilItEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, signalNumber);
        QFETCH(int, exitCode);

        const std::unique_ptr<QProcess> process = startCommandLine(arguments);
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }, 5000));
        QVERIFY2(blockLocks().first().startsWith(QLatin1String("idle:sleep|Corvane|")),
                 qPrintable(blockLocks().first()));
        QCOMPARE(process->state(), QProcess::Running);
        if (signalNumber)
            ::kill(pid_t(process->processId()), signalNumber);
        QVERIFY(process->waitForFinished(10000));
        if (exitCode < 0) {
            QCOMPARE(process->exitStatus(), QProcess::CrashExit);
        } else {
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), exitCode);
        }
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void whilePidReleasesWithinASecond()
    {
        QProcess watched;
        watched.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(watched.waitForStarted());
        const std::unique_ptr<QProcess> process =
            startCommandLine({QStringLiteral("--while-pid"), QString::number(watched.processId())});
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }, 5000));

        watched.kill();
        QVERIFY(watched.waitForFinished());
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }, 1000));
        QVERIFY(exitedWithZero(*process));
    }

    void badInputChangesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QProcess gone;
        gone.start(QStringLiteral("true"));
        gone.waitForStarted();
        const qint64 pid = gone.processId();
        gone.waitForFinished();
        QTest::addRow("unknown duration") << QStringList{"--for", "soon"};
        QTest::addRow("no such time") << QStringList{"--until", "25:00"};
        QTest::addRow("no such process") << QStringList{"--while-pid", QString::number(pid)};
        QTest::addRow("unknown mode") << QStringList{"--indefinitely", "--mode", "screen"};
    }
    void badInputChangesNothing()
    {
        QFETCH(QStringList, arguments);
        TestBus::clearLogindCalls();
        QString output;
        QCOMPARE(commandLine(arguments, &output), 2);
        QCOMPARE(output.count(QLatin1Char('\n')), 0);
        QVERIFY(output.startsWith(QLatin1String("corvane: ")));
        QCOMPARE(TestBus::logindCalls().filter(QStringLiteral("Inhibit")), QStringList());
    }
};

QTEST_GUILESS_MAIN(CommandLineEndToEndTest)
#include "tst_CommandLineEndToEnd.moc"
