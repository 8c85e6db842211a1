// SPDX-License-Identifier: GPL-3.0-or-later
// The command line with no Corvane running: it holds its own inhibition (logind's, on the
// private system bus) for as long as asked, gives it back on every way out, serves the
// interface for later command lines and hands its period over to a tray that starts.
#include "RunningCorvane.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>
#include <csignal>

using namespace RunningCorvane;

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
        QTest::addColumn<int>("exitCode");

        QTest::addRow("a command's status") << QStringList{"--", "sh", "-c", "sleep 1; exit 3"} << 0 << 3;
        QTest::addRow("SIGTERM") << QStringList{"--indefinitely"} << SIGTERM << 0;
        QTest::addRow("SIGTERM goes on to the command") << QStringList{"--", "sleep", "30"} << SIGTERM << 128 + SIGTERM;
        QTest::addRow("SIGINT goes on to the command") << QStringList{"--", "sleep", "30"} << SIGINT << 128 + SIGINT;
    }
    void holdsUntilItEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, signalNumber);
        QFETCH(int, exitCode);

        const std::unique_ptr<QProcess> process = launch({}, arguments);
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }, 5000));
        QVERIFY2(blockLocks().first().startsWith("idle:sleep|Corvane|"), qPrintable(blockLocks().first()));
        QCOMPARE(process->state(), QProcess::Running);
        if (signalNumber)
            ::kill(pid_t(process->processId()), signalNumber);
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), exitCode);
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void whilePidReleasesWithinASecond()
    {
        QProcess watched;
        watched.start("sleep", {"30"});
        QVERIFY(watched.waitForStarted());
        const std::unique_ptr<QProcess> process = launch({}, {"--while-pid", QString::number(watched.processId())});
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }, 5000));

        watched.kill();
        QVERIFY(watched.waitForFinished());
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }, 1000));
        QVERIFY(exitedWithZero(*process));
    }

    // A period run without a tray is the one later command lines see and drive, with one
    // inhibition whoever asks.
    void laterCommandLinesDriveTheHeadlessPeriod()
    {
        const std::unique_ptr<QProcess> first = launch({}, {"--for", "90m"});
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }, 5000));
        QString said;
        QCOMPARE(commandLine({"--status"}, &said), 0);
        QVERIFY2(said.contains(QRegularExpression("awake for 1:(30:00|29:5\\d) more")), qPrintable(said));
        QCOMPARE(commandLine({"--for", "2h"}, &said), 0);
        QVERIFY2(said.contains(QRegularExpression("awake for (2:00:00|1:59:5\\d) more")), qPrintable(said));
        QCOMPARE(commandLine({"--", "sh", "-c", "exit 4"}), 4);
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(commandLine({"--status", "--json"}, &said), 0);
        QVERIFY2(said.contains(QRegularExpression("\"remaining\":(7200|719\\d)")), qPrintable(said));

        QCOMPARE(commandLine({"--stop"}), 0);
        QVERIFY(exitedWithZero(*first));
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
        QCOMPARE(commandLine({"--status"}), 0);
    }

    // The tray that starts takes the name and the period with its end. (A command's hold
    // that ends with its command line: tst_CorvaneProcess.)
    void aStartingTrayTakesTheHeadlessPeriodOver()
    {
        const std::unique_ptr<QProcess> first = launch({}, {"--for", "90m"});
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }, 5000));
        const std::unique_ptr<QProcess> tray = launch();
        QVERIFY(tray->waitForStarted());
        QVERIFY(TestBus::waitFor([] { return state() == "active held"; }, 10000));
        QVERIFY(exitedWithZero(*first));
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
        QVERIFY(RunningCorvane::property("RemainingSeconds").toLongLong() > 89 * 60);
        QCOMPARE(tray->state(), QProcess::Running);
        tray->kill();
        QVERIFY(tray->waitForFinished(5000));
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

    // The wall clock as libfaketime moves it for the program alone; the clocks that count
    // real time are left as they are. The local zone reaches the parser (its own table has
    // the arithmetic), and an hour's jump of the wall clock ends the period.
    void untilFollowsTheWallClock()
    {
        const QString library = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
        CORVANE_REQUIRE(QFile::exists(library), "libfaketime (Debian's faketime)");
        QTemporaryDir dir;
        const QString offsetFile = dir.filePath("offset");
        // 14:00 in Berlin, in summer.
        const qint64 offset =
            QDateTime::currentDateTimeUtc().secsTo(QDateTime(QDate(2026, 6, 1), QTime(12, 0), QTimeZone::utc()));
        // libfaketime's relative form: "+90" or "-90" seconds from the real clock.
        auto setOffset = [&](qint64 seconds) {
            return writeFile(offsetFile, (seconds >= 0 ? "+" : "") + QByteArray::number(seconds));
        };
        QVERIFY(setOffset(offset));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", "Europe/Berlin");
        environment.insert("LD_PRELOAD", library);
        environment.insert("FAKETIME_TIMESTAMP_FILE", offsetFile);
        environment.insert("FAKETIME_NO_CACHE", "1");
        environment.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
        // Under AddressSanitizer the preloaded library comes before its runtime, which it
        // refuses by default; libfaketime only wraps the clock calls.
        if (environment.contains("ASAN_OPTIONS"))
            environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        process.setProcessEnvironment(environment);
        process.start(CORVANE_BINARY, {"--until", "14:56"});
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }, 5000));
        QVERIFY(TestBus::waitFor([&] { return process.canReadLine(); }, 5000));
        const QString line = QString::fromUtf8(process.readLine()).trimmed();
        QVERIFY2(line.contains(QRegularExpression("awake for (56:00|55:5\\d) more, until 14:56")), qPrintable(line));
        QVERIFY(setOffset(offset + 3600));
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }
};

QTEST_GUILESS_MAIN(CommandLineEndToEndTest)
#include "tst_CommandLineEndToEnd.moc"
