// SPDX-License-Identifier: GPL-3.0-or-later
// Programs found by name among this machine's real processes: awkward names, long lists,
// a process that ends, and no watching at all without names. The look every five seconds
// runs on a clock the test moves.
#include "ManualClock.h"
#include "platform/ProcessNameWatcher.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace std::chrono;

namespace {
// A copy of sleep under `name`, running until killed.
std::unique_ptr<QProcess> runAs(const QTemporaryDir &dir, const QString &name)
{
    const QString copy = dir.filePath(name);
    if (!QFile::exists(copy)) {
        QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), copy);
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    auto process = std::make_unique<QProcess>();
    process->start(copy, {QStringLiteral("600")});
    process->waitForStarted(5000);
    return process;
}
} // namespace

class ProcessNameWatcherTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("found");

        const QString shortName = QStringLiteral("cvn-tst");
        const QString spaced = QStringLiteral("cvn tést longer than fifteen");
        QTest::addRow("short name") << shortName << QStringList{shortName} << shortName;
        QTest::addRow("space, non-ASCII, past the kernel's 15 bytes") << spaced << QStringList{spaced} << spaced;
        // As `ps -o comm` shows it.
        QTest::addRow("the kernel's cut of it") << spaced << QStringList{QString::fromUtf8(spaced.toUtf8().left(15))}
                                                << QString::fromUtf8(spaced.toUtf8().left(15));
        QTest::addRow("another program with the same first 15 bytes")
            << spaced << QStringList{spaced + QStringLiteral(" too")} << QString();
    }
    void findsByName()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, list);
        QFETCH(QString, found);
        QTemporaryDir dir;
        const std::unique_ptr<QProcess> process = runAs(dir, name);
        QCOMPARE(process->state(), QProcess::Running);
        // Exec'd under its own name once the kernel says so.
        QTRY_VERIFY(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(process->processId())).endsWith(name));

        const std::optional<ProcessNameWatcher::Match> match = ProcessNameWatcher::findRunning(list);
        QCOMPARE(match ? match->name : QString(), found);
        if (match)
            QCOMPARE(qint64(match->pid), process->processId());
        process->kill();
        process->waitForFinished();
    }

    // Found on the next look after it starts, let go the moment it ends, and nothing
    // looks while the list is empty or a listed program runs.
    void followsAProgramThatComesAndGoes()
    {
        ManualClock clock;
        QTemporaryDir dir;
        const QString name = QStringLiteral("cvn-come-go");
        ProcessNameWatcher watcher(clock, {});
        QCOMPARE(clock.tickers(), 0);
        watcher.setNames({name});
        QVERIFY(!watcher.isActive());
        QCOMPARE(clock.tickers(), 1);

        const std::unique_ptr<QProcess> process = runAs(dir, name);
        QTRY_VERIFY(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(process->processId())).endsWith(name));
        QSignalSpy changed(&watcher, &TriggerSource::changed);
        clock.advance(ProcessNameWatcher::lookInterval);
        QCOMPARE(changed.size(), 1);
        QVERIFY(watcher.isActive());
        QCOMPARE(watcher.words(), name + QStringLiteral(" runs"));
        QCOMPARE(clock.tickers(), 0);

        process->kill();
        QVERIFY(changed.wait(5000));
        QVERIFY(!watcher.isActive());
        QCOMPARE(clock.tickers(), 1);

        watcher.setNames({});
        QCOMPARE(clock.tickers(), 0);
    }
};

QTEST_GUILESS_MAIN(ProcessNameWatcherTest)
#include "tst_ProcessNameWatcher.moc"
