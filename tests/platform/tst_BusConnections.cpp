// SPDX-License-Identifier: GPL-3.0-or-later
// The connections every D-Bus client of the program shares: a replaced bus daemon is
// noticed and followed without anything asking, and a session without a bus never gets
// one started behind its back.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "platform/BusConnections.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Processes still running with `marker` in their environment.
QStringList processesWith(const QByteArray &marker)
{
    QStringList found;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (readFile(QStringLiteral("/proc/%1/environ").arg(pid)).split('\0').contains(marker))
            found << QString::fromUtf8(readFile(QStringLiteral("/proc/%1/comm").arg(pid))).trimmed();
    }
    return found;
}
} // namespace

class BusConnectionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void followsAReplacedDaemonWithoutBeingAsked_data()
    {
        QTest::addColumn<bool>("system");
        QTest::addRow("session") << false;
        QTest::addRow("system") << true;
    }
    void followsAReplacedDaemonWithoutBeingAsked()
    {
        QFETCH(bool, system);
        CORVANE_REQUIRE(TestBus::bus(system).isConnected(), "private buses");
        const auto bus = system ? BusConnections::Bus::System : BusConnections::Bus::Session;
        BusConnections buses;
        const QString before = buses.connection(bus).baseService();
        QVERIFY(!before.isEmpty());
        QSignalSpy dropped(&buses, &BusConnections::dropped);
        QSignalSpy reconnected(&buses, &BusConnections::reconnected);

        // No watch is held: only the connection itself can tell that the daemon went.
        QVERIFY(TestBus::replaceBus(system));
        if (system)
            m_logind =
                std::make_unique<MockService>(QStringLiteral("logind"), true, QStringLiteral("org.freedesktop.login1"));
        // The reconnection may already have come while the mock logind was being started.
        QTRY_COMPARE_WITH_TIMEOUT(reconnected.size(), 1, 8000);
        QCOMPARE(dropped.size(), 1);
        QVERIFY(buses.connection(bus).isConnected());
        QVERIFY(buses.connection(bus).interface()->isServiceRegistered(buses.connection(bus).baseService()));
    }

    void neverStartsASessionBus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addRow("tray") << QStringList();
        QTest::addRow("--status") << QStringList{QStringLiteral("--status")};
        QTest::addRow("--stop") << QStringList{QStringLiteral("--stop")};
    }
    void neverStartsASessionBus()
    {
        QFETCH(QStringList, arguments);
        // libdbus autolaunches through the X server's display.
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY"), "Xvfb");
        QTemporaryDir home;
        QTemporaryDir runtime;
        const QByteArray marker = "CORVANE_AUTOLAUNCH_PROBE=" + home.path().toUtf8();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("CORVANE_AUTOLAUNCH_PROBE"), home.path());
        QProcess corvane;
        corvane.setProcessEnvironment(env);
        corvane.start(QStringLiteral(CORVANE_BINARY), arguments);
        if (arguments.isEmpty()) {
            // The tray is up once it has looked for every kind of tray icon host.
            QByteArray log;
            QVERIFY(TestBus::waitFor(
                [&] {
                    log += corvane.readAllStandardError();
                    return log.contains("Neither a StatusNotifierItem host nor an XEmbed tray");
                },
                10000));
            corvane.terminate();
        }
        QVERIFY(corvane.waitForFinished(10000));
        QVERIFY2(!QFileInfo::exists(home.filePath(QStringLiteral(".dbus"))), "dbus-launch ran");
        QCOMPARE(processesWith(marker), QStringList());
    }

private:
    std::unique_ptr<MockService> m_logind;
};

QTEST_GUILESS_MAIN(BusConnectionsTest)
#include "tst_BusConnections.moc"
