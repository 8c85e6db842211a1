// XDG autostart on real files, checked with desktop-file-validate and launched through
// GLib's own desktop-entry code, which is what GNOME, XFCE and others start it with.
#include "platform/XdgAutostart.h"

#include <QtTest>

namespace {
using Status = LoginItemBackend::Status;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Starts the entry the way GLib does and answers what ran as argv[0].
QString launchedProgram(const QString &entry, const QString &marker)
{
    QProcess python;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CORVANE_MARKER"), marker);
    python.setProcessEnvironment(env);
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys\nfrom gi.repository import Gio\n"
                                 "sys.exit(0 if Gio.DesktopAppInfo.new_from_filename(sys.argv[1]).launch([], None) else 1)"),
                  entry});
    if (!python.waitForFinished(10000) || python.exitCode() != 0)
        return QStringLiteral("<launch failed: %1>").arg(QString::fromUtf8(python.readAllStandardError()));
    QDeadlineTimer deadline(5000);
    while (!QFile::exists(marker) && !deadline.hasExpired())
        QTest::qWait(20);
    return QString::fromUtf8(readAll(marker));
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
        QTest::addRow("spaces") << QStringLiteral("My Apps");
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
        writeFile(program, "#!/bin/sh\nprintf '%s' \"$0\" > \"$CORVANE_MARKER\"\n");
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
        QTest::addRow("switched off in GNOME") << QByteArray("X-GNOME-Autostart-enabled=false\n") << Status::requiresApproval;
        QTest::addRow("hidden=false") << QByteArray("Hidden=false\n") << Status::enabled;
        QTest::addRow("key of another group") << QByteArray("[Desktop Action x]\nHidden=true\n") << Status::enabled;
    }
    void statusFollowsTheFile()
    {
        QFETCH(QByteArray, extra);
        QFETCH(Status, expected);
        XdgAutostart autostart(m_autostart, QStringLiteral("/usr/bin/corvane"));
        QCOMPARE(autostart.status(), Status::notRegistered);
        QVERIFY(autostart.registerItem());
        // Our own X-GNOME-Autostart-enabled=true comes first; the user's later edit wins.
        QByteArray text = readAll(autostart.entryPath());
        text.replace("X-GNOME-Autostart-enabled=true\n", "");
        writeFile(autostart.entryPath(), text + extra);
        QCOMPARE(autostart.status(), expected);
    }

    void registeringReplacesWholeAndUnregisteringRemoves()
    {
        XdgAutostart autostart(m_autostart, QStringLiteral("/usr/bin/corvane"));
        QVERIFY(QDir().mkpath(m_autostart));
        writeFile(autostart.entryPath(), QByteArray("[Desktop Entry]\nHidden=true\n") + QByteArray(8192, '#'));
        QCOMPARE(autostart.status(), Status::requiresApproval);

        QVERIFY(autostart.registerItem());
        QCOMPARE(readAll(autostart.entryPath()), XdgAutostart::entryText(QStringLiteral("/usr/bin/corvane")));
        // Written aside and renamed: nothing else is left in the folder.
        QCOMPARE(QDir(m_autostart).entryList(QDir::Files | QDir::Hidden), QStringList{XdgAutostart::fileName});

        QVERIFY(autostart.unregisterItem());
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QCOMPARE(autostart.status(), Status::notRegistered);
        QVERIFY(autostart.unregisterItem());
    }

    void anUnwritableFolderFailsWithoutAFile()
    {
        // A file where the folder should be stops even root.
        writeFile(m_autostart, "not a folder");
        XdgAutostart autostart(m_autostart, QStringLiteral("/usr/bin/corvane"));
        QVERIFY(!autostart.registerItem());
        QCOMPARE(autostart.status(), Status::notRegistered);
    }

    void theAppImageIsWhatStarts()
    {
        const QString appImage = m_home->filePath(QStringLiteral("Corvane-x86_64.AppImage"));
        writeFile(appImage, "image");
        qputenv("APPIMAGE", appImage.toUtf8());
        QCOMPARE(XdgAutostart::runningProgram(), appImage);
        qputenv("APPIMAGE", m_home->filePath(QStringLiteral("gone.AppImage")).toUtf8());
        QCOMPARE(XdgAutostart::runningProgram(), QCoreApplication::applicationFilePath());
        qunsetenv("APPIMAGE");
        QCOMPARE(XdgAutostart::runningProgram(), QCoreApplication::applicationFilePath());
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_autostart;
};

QTEST_GUILESS_MAIN(XdgAutostartTest)
#include "tst_XdgAutostart.moc"
