// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QSettingsStore.h"
#include "ManualClock.h"
#include "wake/SystemEvents.h"
#include "wake/CorvaneTimerService.h"
#include "RecordingInhibitor.h"
#include "TestSupport.h"
#include "wake/PowerAssertionManager.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {
const QString durationKey = QStringLiteral("corvane.lastDuration");
const QString modeKey = QStringLiteral("corvane.mode");
} // namespace

class QSettingsStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesOnlyChangesAndKeepsTheLink_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("regular file") << false;
        QTest::newRow("symlink to a regular file") << true;
    }
    void writesOnlyChangesAndKeepsTheLink()
    {
        QFETCH(bool, throughLink);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("dotfiles")));
        const QString target =
            dir.filePath(throughLink ? QStringLiteral("dotfiles/corvane.ini") : QStringLiteral("Corvane.conf"));
        const QString file = dir.filePath(QStringLiteral("Corvane.conf"));
        // Saving drops comments, so the comment shows whether the file was rewritten.
        const QByteArray original("# mine\n[General]\ncorvane.lastDuration=90\ncorvane.mode=systemOnly\n");
        QVERIFY(writeFile(target, original));
        if (throughLink)
            QVERIFY(QFile::link(target, file));

        {
            QSettingsStore store(file);
            store.setInteger(durationKey, 90);
            store.setString(modeKey, QStringLiteral("systemOnly"));
            QCOMPARE(readFile(target), original);

            store.setInteger(durationKey, 30);
        }
        QCOMPARE(QFileInfo(file).isSymLink(), throughLink);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("dotfiles"))).entryList(QDir::Files | QDir::Hidden).size(),
                 throughLink ? 1 : 0);
        QVERIFY(readFile(target).contains("corvane.lastDuration=30\n"));
        QSettingsStore store(file);
        QCOMPARE(store.integer(durationKey), 30);
        QCOMPARE(store.string(modeKey), QStringLiteral("systemOnly"));
    }

    // Nothing may open these for writing, and opening a FIFO for reading blocks.
    void anythingButAFileKeepsSettingsInMemory_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << QStringLiteral("fifo");
        QTest::newRow("symlink to a FIFO") << QStringLiteral("link to fifo");
        QTest::newRow("symlink to a device") << QStringLiteral("link to device");
        QTest::newRow("dangling symlink") << QStringLiteral("dangling link");
        QTest::newRow("directory") << QStringLiteral("directory");
        QTest::newRow("FIFO after start-up") << QStringLiteral("fifo later");
    }
    void anythingButAFileKeepsSettingsInMemory()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Corvane.conf"));
        const QString fifo = dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (kind == u"fifo")
            QVERIFY(QFile::rename(fifo, file));
        else if (kind == u"link to fifo")
            QVERIFY(QFile::link(fifo, file));
        else if (kind == u"link to device")
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), file));
        else if (kind == u"dangling link")
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone/Corvane.conf")), file));
        else if (kind == u"directory")
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Corvane.conf")));
        else
            QVERIFY(writeFile(file, "[General]\ncorvane.mode=systemOnly\n"));
        FifoWatchdog watchdog(kind.startsWith(u"fifo") ? file : fifo);

        if (kind != u"fifo later")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is not a regular file")));
        QSettingsStore store(file);
        if (kind == u"fifo later") {
            QVERIFY(QFile::remove(file));
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no longer a regular file")));
        } else {
            QVERIFY(!store.contains(modeKey));
        }
        const auto snapshot = [&] {
            struct stat info {};
            ::stat(QFile::encodeName(file).constData(), &info);
            return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                << QFileInfo(file).symLinkTarget() << QString::number(info.st_mode, 8);
        };
        const QStringList before = snapshot();
        // The device is only ever looked at: this test may run as root.
        if (kind != u"link to device") {
            store.setInteger(durationKey, 30);
            store.setString(modeKey, QStringLiteral("displayOnly"));
            QCOMPARE(store.integer(durationKey), 30);
            QCOMPARE(store.string(modeKey), QStringLiteral("displayOnly"));
        }
        QCOMPARE(watchdog.readers(), 0);
        QCOMPARE(snapshot(), before);
    }

    // Files that cannot be used as they are: the defaults, one warning, the file untouched.
    void unusableFilesWarnOnceAndStayAsTheyAre_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        QTest::newRow("100 MB") << QStringLiteral("huge") << QStringLiteral("far more than settings take");
        // As with XDG_CONFIG_HOME naming a file: no folder can be made there, even by root.
        QTest::newRow("a file where the folder belongs")
            << QStringLiteral("no folder") << QStringLiteral("Cannot save the settings");
    }
    void unusableFilesWarnOnceAndStayAsTheyAre()
    {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        QString file = dir.filePath(QStringLiteral("Corvane.conf"));
        const QByteArray start("[General]\ncorvane.mode=systemOnly\n");
        if (kind == u"huge") {
            QVERIFY(writeFile(file, start));
            QFile big(file);
            QVERIFY(big.resize(100 * 1024 * 1024)); // sparse: costs no disk
        } else {
            QVERIFY(writeFile(dir.filePath(QStringLiteral("config")), start));
            file = dir.filePath(QStringLiteral("config/Corvane/Corvane.conf"));
        }
        const QDateTime modified = QFileInfo(file).lastModified();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QSettingsStore store(file);
        QVERIFY(!store.contains(modeKey));
        for (int minutes : {30, 60, 90})
            store.setInteger(durationKey, minutes);
        QCOMPARE(store.integer(durationKey), 90);
        QCOMPARE(QFileInfo(file).lastModified(), modified);
        if (kind == u"huge")
            QCOMPARE(QFileInfo(file).size(), 100 * 1024 * 1024);
    }

    void garbledFilesFallBackToDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        // Wrong words and lists as values are the timer service's launch table.
        QTest::newRow("not an ini file at all") << QByteArray("\x00\xff\xfe garbage [[[ = = \n\x01\x02", 20);
        QTest::newRow("overflowing number") << QByteArray("[General]\ncorvane.lastDuration=99999999999999999999999\n");
    }
    void garbledFilesFallBackToDefaults()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Corvane.conf"));
        QVERIFY(writeFile(file, content));

        QSettingsStore store(file);
        RecordingInhibitor backend;
        ManualClock clock;
        PowerAssertionManager manager(backend, nullptr, clock);
        SystemEvents events;
        CorvaneTimerService timer(manager, store, TimerServiceEnvironment{clock, events});
        QCOMPARE(timer.mode(), AssertionMode::displayAndSystem);
        QCOMPARE(timer.lastDuration(), WakeDuration::indefinite());
        // And the program can still write its choices.
        timer.setMode(AssertionMode::systemOnly);
        QCOMPARE(QSettingsStore(file).string(modeKey), QStringLiteral("systemOnly"));
    }
};

QTEST_GUILESS_MAIN(QSettingsStoreTest)
#include "tst_QSettingsStore.moc"
