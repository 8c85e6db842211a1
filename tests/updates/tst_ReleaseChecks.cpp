// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "UpdateTestDoubles.h"
#include "updates/AppcastUpdater.h"
#include "updates/Ed25519Verifier.h"
#include "updates/SparkleVersion.h"
#include "updates/UpdateInstaller.h"

#include <QTemporaryDir>
#include <QtTest>

// What an offered release goes through before it runs: version order, signature and the
// swap of the AppImage.
class ReleaseChecksTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order"); // the sign of compare(a, b)
        const auto row = [](const char *a, const char *b, int order) {
            QTest::addRow("%s %s %s", a, order < 0 ? "<" : "==", b)
                << QString::fromUtf8(a) << QString::fromUtf8(b) << order;
        };
        for (const auto &[a, b] : {std::pair{"1.0b9", "1.0b10"},
                                   {"1.0rc", "1.0"},
                                   {"1.0a1", "1.0b1"},
                                   {"1.0 (1234)", "1.0 (1235)"},
                                   {"1.0", "1.0.1"},
                                   {"1.0.9", "1.0.10"},
                                   {"1.0", "1.0 (1234)"},
                                   {"", "1"},
                                   {"99999999999999999999", "100000000000000000000"}}) // beyond 64 bits
            row(a, b, -1);
        for (const auto &[a, b] :
             {std::pair{"1.0", "1.0.0"}, {"1.0pre1", "1.0.0pre1"}, {"1.01", "1.1"}, {"1.0-beta", "1.0"}})
            row(a, b, 0);
    }
    void versionOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(qBound(-1, SparkleVersion::compare(a, b), 1), order);
        QCOMPARE(qBound(-1, SparkleVersion::compare(b, a), 1), -order);
    }

    // Tampering and wrong lengths are refused end to end in the updater's install flow. The
    // built-in key stands for a wrong one, which also shows it is a usable key.
    void verification_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("messagePart"); // empty: accepted
        QTest::newRow("valid") << 0 << QString();
        QTest::newRow("built-in key") << 1 << QStringLiteral("does not match");
        QTest::newRow("bad base64") << 2 << QStringLiteral("garbled");
        QTest::newRow("short signature") << 3 << QStringLiteral("garbled");
        QTest::newRow("no signature") << 4 << QStringLiteral("not signed");
        QTest::newRow("no length") << 5 << QStringLiteral("size");
        QTest::newRow("broken public key") << 6 << QStringLiteral("key");
    }
    void verification()
    {
        QFETCH(int, fault);
        QFETCH(QString, messagePart);
        TestSigningKey key;
        const QByteArray data = QByteArray("signed bytes \x01\xff").repeated(5000);
        QString signature = QString::fromLatin1(key.signBase64(data));
        QByteArray publicKey = key.publicKeyBase64();
        qint64 length = data.size();
        switch (fault) {
        case 1: publicKey = AppcastUpdaterOptions::builtInPublicKey(); break;
        case 2: signature.replace(10, 1, QStringLiteral("!")); break;
        case 3: signature = QString::fromLatin1(QByteArray(63, 'a').toBase64()); break;
        case 4: signature.clear(); break;
        case 5: length = -1; break;
        case 6: publicKey = QByteArray(16, 'a').toBase64(); break;
        }
        const auto result = Ed25519Verifier::verify(data, length, signature, publicKey);
        QCOMPARE(result.ok, messagePart.isEmpty());
        QVERIFY2(result.message.contains(messagePart), qPrintable(result.message));
    }

    void replacesTheAppImageOrLeavesIt_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("ok");
        QTest::newRow("an old backup is replaced") << "old backup" << true;
        // Root may write anywhere, so the one failure it meets is a name already taken.
        QTest::newRow("backup name taken by a folder") << "backup folder" << false;
        QTest::newRow("no such file") << "missing" << false;
    }
    void replacesTheAppImageOrLeavesIt()
    {
        QFETCH(QString, setup);
        QFETCH(bool, ok);
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("Corvane-x86_64.AppImage"));
        const QString backup = image + QStringLiteral(".bak");
        if (setup != u"missing")
            QVERIFY(writeFile(image, "old image"));
        if (setup == u"old backup")
            QVERIFY(writeFile(backup, "older image"));
        if (setup == u"backup folder") {
            QVERIFY(QDir().mkpath(backup));
            QVERIFY(writeFile(backup + QStringLiteral("/keep"), "x"));
        }

        const auto result = UpdateInstaller::replaceAppImage(image, "new image");
        QCOMPARE(result.ok, ok);
        QCOMPARE(UpdateInstaller::canReplace(image), setup != u"missing");
        if (ok) {
            QCOMPARE(readFile(image), QByteArray("new image"));
            QCOMPARE(readFile(result.backupPath), QByteArray("old image"));
            QVERIFY(QFileInfo(image).isExecutable());
        } else {
            QVERIFY(!result.message.isEmpty());
            QCOMPARE(readFile(image), setup == u"missing" ? QByteArray() : QByteArray("old image"));
        }
        // Nothing staged is left behind.
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_GUILESS_MAIN(ReleaseChecksTest)
#include "tst_ReleaseChecks.moc"
