// SPDX-License-Identifier: GPL-3.0-or-later
// The connections every D-Bus client of the program shares: a session without a bus never
// gets one started behind its back. A replaced bus daemon is followed by each client's own
// suite (the mechanisms, the tray item).
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "platform/BusConnections.h"

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
    void neverStartsASessionBus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addRow("tray") << QStringList();
        QTest::addRow("--status") << QStringList{QStringLiteral("--status")};
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
};

QTEST_GUILESS_MAIN(BusConnectionsTest)
#include "tst_BusConnections.moc"
