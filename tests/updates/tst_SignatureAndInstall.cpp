// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateTestDoubles.h"
#include "updates/AppcastParser.h"
#include "updates/AppcastUpdater.h"
#include "updates/Ed25519Verifier.h"
#include "updates/UpdateInstaller.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class SignatureAndInstallTest : public QObject {
    Q_OBJECT

    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void write(const QString &path, const QByteArray &data)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }

private Q_SLOTS:
    void verification_data()
    {
        QTest::addColumn<int>("tamper");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("valid") << 0 << true << QString();
        QTest::newRow("tampered byte") << 1 << false << QStringLiteral("does not match");
        QTest::newRow("wrong key") << 2 << false << QStringLiteral("does not match");
        QTest::newRow("bad base64") << 3 << false << QStringLiteral("garbled");
        QTest::newRow("short signature") << 4 << false << QStringLiteral("garbled");
        QTest::newRow("wrong length") << 5 << false << QStringLiteral("bytes");
        QTest::newRow("no signature") << 6 << false << QStringLiteral("not signed");
        QTest::newRow("no length") << 7 << false << QStringLiteral("size");
        QTest::newRow("broken public key") << 8 << false << QStringLiteral("key");
    }
    void verification()
    {
        QFETCH(int, tamper);
        QFETCH(bool, ok);
        QFETCH(QString, messagePart);
        TestSigningKey key;
        TestSigningKey otherKey;
        QByteArray data(100000, 'x');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char(i * 7);
        QString signature = QString::fromLatin1(key.signBase64(data));
        QByteArray publicKey = key.publicKeyBase64();
        qint64 length = data.size();
        switch (tamper) {
        case 1: data[5000] = char(data[5000] ^ 1); break;
        case 2: publicKey = otherKey.publicKeyBase64(); break;
        case 3: signature.replace(10, 1, QStringLiteral("!")); break;
        case 4: signature = QString::fromLatin1(QByteArray(63, 'a').toBase64()); break;
        case 5: length += 1; break;
        case 6: signature.clear(); break;
        case 7: length = -1; break;
        case 8: publicKey = QByteArray(16, 'a').toBase64(); break;
        }
        const auto result = Ed25519Verifier::verify(data, length, signature, publicKey);
        QCOMPARE(result.ok, ok);
        QVERIFY2(result.message.contains(messagePart), qPrintable(result.message));
    }

    void builtInKeyIsUsable()
    {
        QByteArray raw;
        QVERIFY(Ed25519Verifier::decodeBase64(AppcastUpdaterOptions::builtInPublicKey(), &raw));
        QCOMPARE(raw.size(), 32);
    }

    void replacesTheAppImageOrLeavesIt_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("ok");
        QTest::newRow("fresh") << "" << true;
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
            write(image, "old image");
        if (setup == u"old backup")
            write(backup, "older image");
        if (setup == u"backup folder") {
            QVERIFY(QDir().mkpath(backup));
            write(backup + QStringLiteral("/keep"), "x");
        }

        const auto result = UpdateInstaller::replaceAppImage(image, "new image");
        QCOMPARE(result.ok, ok);
        QCOMPARE(UpdateInstaller::canReplace(image), setup != u"missing");
        if (ok) {
            QCOMPARE(readAll(image), QByteArray("new image"));
            QCOMPARE(readAll(result.backupPath), QByteArray("old image"));
            QVERIFY(QFileInfo(image).isExecutable());
        } else {
            QVERIFY(!result.message.isEmpty());
            QCOMPARE(readAll(image), setup == u"missing" ? QByteArray("<missing>") : QByteArray("old image"));
        }
        // Nothing staged is left behind.
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden).isEmpty());
    }

    // The release tool and the program must agree on every byte: sign with the script,
    // read its item with the parser, verify with the built-in verifier.
    void releaseToolSignsWhatTheUpdaterAccepts()
    {
        const QString tool = QStringLiteral(CORVANE_TESTS_DIR "/../scripts/release-sign");
        QTemporaryDir dir;
        const auto run = [&](const QStringList &args) {
            QProcess p;
            p.start(QStringLiteral("bash"), QStringList{tool} + args);
            if (!p.waitForFinished(30000) || p.exitCode() != 0)
                return QByteArray("failed: ") + p.readAllStandardError();
            return p.readAllStandardOutput();
        };
        const QString keyFile = dir.filePath(QStringLiteral("key.pem"));
        const QByteArray publicKey = run({QStringLiteral("--generate-key"), keyFile}).trimmed();
        QCOMPARE(run({QStringLiteral("--public-key"), keyFile}).trimmed(), publicKey);

        const QString archiveFile = dir.filePath(QStringLiteral("Corvane.AppImage"));
        QByteArray archive(70000, '\0');
        for (int i = 0; i < archive.size(); ++i)
            archive[i] = char(i % 251);
        write(archiveFile, archive);
        const QByteArray item =
            run({QStringLiteral("--key"), keyFile, QStringLiteral("--version"), QStringLiteral("28"),
                 QStringLiteral("--short-version"), QStringLiteral("1.5 <beta> & co"), QStringLiteral("--url"),
                 QStringLiteral("https://dl.example/C.AppImage?a=1&b=2"), archiveFile});
        QVERIFY2(item.startsWith("<item>"), item.constData());

        const auto parsed =
            AppcastParser::parse("<rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
                                 + item + "</channel></rss>");
        QVERIFY2(parsed.ok, qPrintable(parsed.error));
        QCOMPARE(parsed.items.size(), 1);
        const AppcastItem &release = parsed.items[0];
        QCOMPARE(release.version, QStringLiteral("28"));
        QCOMPARE(release.displayVersion(), QStringLiteral("1.5 <beta> & co"));
        QCOMPARE(release.downloadUrl, QUrl(QStringLiteral("https://dl.example/C.AppImage?a=1&b=2")));
        QVERIFY(Ed25519Verifier::verify(archive, release.length, release.edSignature, publicKey).ok);

        // A key file is never overwritten.
        QVERIFY(run({QStringLiteral("--generate-key"), keyFile}).startsWith("failed"));
    }
};

QTEST_GUILESS_MAIN(SignatureAndInstallTest)
#include "tst_SignatureAndInstall.moc"
