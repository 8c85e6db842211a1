// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a bare X server, with no tray of either kind: a launch by the user
// opens the panel as a window of its own, fully on screen, that keeps its top edge while its
// content changes, and its close control closes it (Escape and the next launch: the real
// desktops' rig). An XEmbed tray started later still gets the icon.
#include "RunningCorvane.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using namespace RunningCorvane;

namespace {
bool xdotool(const QStringList &args, QByteArray *output = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    const bool ok = p.waitForFinished(5000) && p.exitCode() == 0;
    if (output)
        *output = p.readAllStandardOutput();
    return ok;
}

// One of the process's windows was taken in by another window than the root: a tray
// embedded it (no window manager runs here to frame it).
bool hasEmbeddedWindow(qint64 pid)
{
    QByteArray windows;
    xdotool({QStringLiteral("search"), QStringLiteral("--pid"), QString::number(pid)}, &windows);
    for (const QByteArray &id : windows.split('\n')) {
        if (id.isEmpty())
            continue;
        QProcess info;
        info.start(QStringLiteral("xwininfo"),
                   {QStringLiteral("-children"), QStringLiteral("-id"), QString::fromLatin1(id)});
        if (!info.waitForFinished(5000))
            return false;
        QByteArray root;
        QByteArray parent;
        for (const QByteArray &line : info.readAllStandardOutput().split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.startsWith("Root window id:"))
                root = trimmed.split(' ').value(3);
            else if (trimmed.startsWith("Parent window id:"))
                parent = trimmed.split(' ').value(3);
        }
        if (!parent.isEmpty() && parent != root)
            return true;
    }
    return false;
}
} // namespace

class NoTrayWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        CORVANE_REQUIRE(QDBusConnection::sessionBus().isConnected() && qEnvironmentVariableIsSet("DISPLAY"),
                        "the private session bus and X server");
        CORVANE_REQUIRE(!QStandardPaths::findExecutable("xdotool").isEmpty(), "xdotool");
    }

    void aLaunchShowsAWindowThatStaysPut()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const std::unique_ptr<QProcess> corvane = launch({}, {});
        QTRY_VERIFY_WITH_TIMEOUT(panel().visible, 15000);
        const QRect shown = panel().geometry;
        QCOMPARE(screen.intersected(shown), shown);

        // A period adds its countdown to the panel: it grows downwards, its top where it was.
        QCOMPARE(call("Start", {60u}).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(panel().geometry.height() != shown.height(), 5000);
        const QRect grown = panel().geometry;
        QCOMPARE(grown.top(), shown.top());
        QCOMPARE(grown.left(), shown.left());
        QVERIFY(screen.contains(grown));

        // Its close control, inside the card as far in as the other controls, closes it.
        const QStringList close =
            control("WidgetCenter", {"closePanelButton"}).arguments().value(0).toString().split(u' ');
        QVERIFY(grown.marginsRemoved(QMargins(16, 16, 16, 16))
                    .contains(QPoint(close.value(0).toInt(), close.value(1).toInt())));
        QVERIFY(xdotool({"mousemove", close.value(0), close.value(1), "click", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().visible, 5000);

        call("Quit");
        QVERIFY(exitedWithZero(*corvane));
    }

    // No tray at start, so nothing to show the icon; a panel started later announces its
    // tray on the X server, and the icon goes into it without the program looking again.
    void aTrayStartedLaterGetsTheIcon()
    {
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty(), "trayer");
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty(), "xwininfo");
        QProcess corvane;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("corvane.tray.info=true"));
        corvane.setProcessEnvironment(env);
        corvane.setProcessChannelMode(QProcess::MergedChannels);
        QByteArray log;
        connect(&corvane, &QProcess::readyRead, this, [&] { log += corvane.readAll(); });
        corvane.start(QStringLiteral(CORVANE_BINARY), {QStringLiteral("--autostart")});
        QTRY_VERIFY_WITH_TIMEOUT(log.contains("no tray shows the icon"), 15000);
        QVERIFY(!hasEmbeddedWindow(corvane.processId()));

        QProcess trayer;
        trayer.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top")});
        QTRY_VERIFY2_WITH_TIMEOUT(log.contains("icon shown in the XEmbed tray"), log.constData(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(hasEmbeddedWindow(corvane.processId()), 5000);

        call(QStringLiteral("Quit"));
        QVERIFY(exitedWithZero(corvane));
        trayer.terminate();
        trayer.waitForFinished(5000);
    }
};

QTEST_MAIN(NoTrayWindowTest)
#include "tst_NoTrayWindow.moc"
