// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a bare X server, with no tray of either kind: a launch by the user
// opens the panel as a window of its own, fully on screen, that keeps its top edge while its
// content changes, closes with Escape and comes back with the next launch.
#include "RunningCorvane.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using namespace RunningCorvane;

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

        // Escape closes it (it has the keyboard); the program stays, and the next launch
        // hands over to it and ends: it shows the panel again in the same place.
        QCOMPARE(QProcess::execute("xdotool", {"key", "Escape"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!panel().visible, 5000);
        QCOMPARE(corvane->state(), QProcess::Running);
        const std::unique_ptr<QProcess> again = launch({}, {});
        QVERIFY(exitedWithZero(*again));
        QTRY_VERIFY_WITH_TIMEOUT(panel().visible, 5000);
        QCOMPARE(panel().geometry.topLeft(), grown.topLeft());

        call("Quit");
        QVERIFY(exitedWithZero(*corvane));
    }
};

QTEST_MAIN(NoTrayWindowTest)
#include "tst_NoTrayWindow.moc"
