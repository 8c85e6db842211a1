// SPDX-License-Identifier: GPL-3.0-or-later
// XDG autostart on real files, checked with desktop-file-validate and launched through
// GLib's own desktop-entry code, which is what GNOME, XFCE and others start it with.
#include "platform/XdgAutostart.h"
#include "TestSupport.h"

#include <QtTest>
#include <sys/stat.h>

namespace {
using Status = LoginItemBackend::Status;

// A program that exists: an entry for a missing one reads as not registered.
QString program()
{
    return QCoreApplication::applicationFilePath();
}

// Starts the entry the way GLib does and answers what ran as argv[0].
QString launchedProgram(const QString &entry, const QString &marker)
{
    QProcess python;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CORVANE_MARKER"), marker);
    python.setProcessEnvironment(env);
    python.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys\nfrom gi.repository import Gio\n"
                        "sys.exit(0 if Gio.DesktopAppInfo.new_from_filename(sys.argv[1]).launch([], None) else 1)"),
         entry});
    if (!python.waitForFinished(10000) || python.exitCode() != 0)
        return QStringLiteral("<launch failed: %1>").arg(QString::fromUtf8(python.readAllStandardError()));
    if (!TestBus::waitFor([&] { return QFile::exists(marker); }, 5000))
        return QStringLiteral("<the program never started>");
    return QString::fromUtf8(readFile(marker));
}
} // namespace

class XdgAutostartTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home.reset(new QTemporaryDir);
        QVERIFY(m_home->isValid());
        m_autostart = m_home->filePath(QStringLiteral("autostart"));
    }

    void entryIsValidAndStartsExactlyThisProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addRow("plain") << QStringLiteral("bin");
        QTest::addRow("quotes and shell characters") << QStringLiteral("it's \"so\" $HOME `x` (1); a&b|c*?#~<>");
        QTest::addRow("percent") << QStringLiteral("100% awake %u %f");
        QTest::addRow("backslashes") << QStringLiteral("back\\slash \\\\ \\s");
    }
    void entryIsValidAndStartsExactlyThisProgram()
    {
        QFETCH(QString, folder);
        const QString dir = m_home->filePath(folder);
        QVERIFY(QDir().mkpath(dir));
        const QString program = dir + QStringLiteral("/corvane");
        QVERIFY(writeFile(program, "#!/bin/sh\nprintf '%s' \"$0\" > \"$CORVANE_MARKER\"\n"));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        XdgAutostart autostart(m_autostart, program);
        QVERIFY(autostart.registerItem());
        QCOMPARE(autostart.status(), Status::enabled);

        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {autostart.entryPath()});
        QVERIFY(validate.waitForFinished(10000));
        const QByteArray complaints = validate.readAllStandardOutput() + validate.readAllStandardError();
        QVERIFY2(validate.exitCode() == 0 && complaints.isEmpty(), complaints.constData());

        QCOMPARE(launchedProgram(autostart.entryPath(), m_home->filePath(QStringLiteral("marker"))), program);
    }

    void statusFollowsTheFile_data()
    {
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<Status>("expected");
        QTest::addRow("as written") << QByteArray() << Status::enabled;
        QTest::addRow("hidden by the user") << QByteArray("Hidden=true\n") << Status::requiresApproval;
        // Our own X-GNOME-Autostart-enabled=true comes first.
        QTest::addRow("switched off in GNOME")
            << QByteArray("X-GNOME-Autostart-enabled=false\n") << Status::requiresApproval;
        QTest::addRow("program moved away")
            << QByteArray("Exec=/nonexistent/Corvane-x86_64.AppImage\n") << Status::notRegistered;
        QTest::addRow("another program") << QByteArray("Exec=/bin/sh\n") << Status::notRegistered;
    }
    void statusFollowsTheFile()
    {
        QFETCH(QByteArray, extra);
        QFETCH(Status, expected);
        XdgAutostart autostart(m_autostart, program());
        QCOMPARE(autostart.status(), Status::notRegistered);
        QVERIFY(autostart.registerItem());
        QVERIFY(writeFile(autostart.entryPath(), readFile(autostart.entryPath()) + extra));
        QCOMPARE(autostart.status(), expected);
    }

    // Whatever is at the entry's path, only the path itself changes; registering writes
    // the entry whole, aside and renamed, leaving nothing else in the folder.
    void theEntryIsAlwaysOurOwnFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Status>("before");
        QTest::addRow("an older entry of ours, hidden and long") << QStringLiteral("ours") << Status::requiresApproval;
        QTest::addRow("symlink to another program's entry") << QStringLiteral("link") << Status::notRegistered;
        QTest::addRow("dangling symlink out of the folder") << QStringLiteral("dangling link") << Status::notRegistered;
        QTest::addRow("FIFO") << QStringLiteral("fifo") << Status::notRegistered;
    }
    void theEntryIsAlwaysOurOwnFile()
    {
        QFETCH(QString, kind);
        QFETCH(Status, before);
        XdgAutostart autostart(m_autostart, program());
        const QString path = autostart.entryPath();
        const QString outside = m_home->filePath(QStringLiteral("applications"));
        QVERIFY(QDir().mkpath(m_autostart) && QDir().mkpath(outside));
        const QString other = outside + QStringLiteral("/other.desktop");
        const QByteArray otherText("[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true\nHidden=true\n");
        if (kind == u"ours") {
            QVERIFY(writeFile(
                path, "[Desktop Entry]\nExec=" + program().toUtf8() + "\nHidden=true\n" + QByteArray(8192, '#')));
        } else if (kind == u"fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QVERIFY(kind != u"link" || writeFile(other, otherText));
            QVERIFY(QFile::link(other, path));
        }
        FifoWatchdog watchdog(path);

        QCOMPARE(autostart.status(), before);
        QVERIFY(autostart.registerItem());
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(readFile(path), XdgAutostart::entryText(program()));
        QCOMPARE(QDir(m_autostart).entryList(QDir::Files | QDir::Hidden), QStringList{XdgAutostart::fileName});
        QCOMPARE(autostart.status(), Status::enabled);
        QVERIFY(autostart.unregisterItem());
        QVERIFY(!QFileInfo(path).isSymLink() && !QFileInfo::exists(path));
        QCOMPARE(autostart.status(), Status::notRegistered);
        QVERIFY(autostart.unregisterItem());

        QCOMPARE(watchdog.readers(), 0);
        QCOMPARE(readFile(other), kind == u"link" ? otherText : QByteArray());
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 kind == u"link" ? QStringList{QStringLiteral("other.desktop")} : QStringList());
    }

    void theAppImageIsWhatStarts()
    {
        const QString appImage = m_home->filePath(QStringLiteral("Corvane-x86_64.AppImage"));
        QVERIFY(writeFile(appImage, "image"));
        qputenv("APPIMAGE", appImage.toUtf8());
        QCOMPARE(XdgAutostart::runningProgram(), appImage);
        qputenv("APPIMAGE", m_home->filePath(QStringLiteral("gone.AppImage")).toUtf8());
        QCOMPARE(XdgAutostart::runningProgram(), QCoreApplication::applicationFilePath());
        qunsetenv("APPIMAGE");
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_autostart;
};

QTEST_GUILESS_MAIN(XdgAutostartTest)
#include "tst_XdgAutostart.moc"
