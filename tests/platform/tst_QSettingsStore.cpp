// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QSettingsStore.h"
#include "TestSupport.h"

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

    // Anything but a regular file, or a file that cannot be used as it is: the settings
    // live in memory, one warning says why, and the file is left as it was. Nothing may
    // open these for writing, and opening a FIFO for reading blocks.
    void unusableFilesKeepSettingsInMemory_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        const QString notAFile = QStringLiteral("is not a regular file");
        QTest::newRow("FIFO") << QStringLiteral("fifo") << notAFile;
        QTest::newRow("symlink to a device") << QStringLiteral("link to device") << notAFile;
        QTest::newRow("dangling symlink") << QStringLiteral("dangling link") << notAFile;
        QTest::newRow("100 MB") << QStringLiteral("huge") << QStringLiteral("far more than settings take");
        // As with XDG_CONFIG_HOME naming a file: no folder can be made there, even by root.
        QTest::newRow("a file where the folder belongs")
            << QStringLiteral("no folder") << QStringLiteral("Cannot save the settings");
    }
    void unusableFilesKeepSettingsInMemory()
    {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        QString file = dir.filePath(QStringLiteral("Corvane.conf"));
        const QString fifo = dir.filePath(QStringLiteral("pipe"));
        const QByteArray start("[General]\ncorvane.mode=systemOnly\n");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (kind == u"fifo") {
            QVERIFY(QFile::rename(fifo, file));
        } else if (kind == u"link to device") {
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), file));
        } else if (kind == u"dangling link") {
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone/Corvane.conf")), file));
        } else if (kind == u"huge") {
            QVERIFY(writeFile(file, start));
            QVERIFY(QFile(file).resize(100 * 1024 * 1024)); // sparse: costs no disk
        } else {
            QVERIFY(writeFile(dir.filePath(QStringLiteral("config")), start));
            file = dir.filePath(QStringLiteral("config/Corvane/Corvane.conf"));
        }
        FifoWatchdog watchdog(kind == u"fifo" ? file : fifo);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QSettingsStore store(file);
        QVERIFY(!store.contains(modeKey));
        const auto snapshot = [&] {
            struct stat info {};
            ::stat(QFile::encodeName(file).constData(), &info);
            return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                << QFileInfo(file).symLinkTarget() << QString::number(info.st_mode, 8) << QString::number(info.st_size)
                << QFileInfo(file).lastModified().toString(Qt::ISODateWithMs);
        };
        const QStringList before = snapshot();
        // The device is only ever looked at: this test may run as root.
        if (kind != u"link to device") {
            for (int minutes : {30, 60, 90})
                store.setInteger(durationKey, minutes);
            store.setString(modeKey, QStringLiteral("displayOnly"));
            QCOMPARE(store.integer(durationKey), 90);
            QCOMPARE(store.string(modeKey), QStringLiteral("displayOnly"));
        }
        QCOMPARE(watchdog.readers(), 0);
        QCOMPARE(snapshot(), before);
    }
};

QTEST_GUILESS_MAIN(QSettingsStoreTest)
#include "tst_QSettingsStore.moc"
