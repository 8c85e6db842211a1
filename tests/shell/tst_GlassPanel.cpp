// SPDX-License-Identifier: GPL-3.0-or-later
#include "ManualClock.h"
#include "TestSupport.h"
#include "platform/X11WindowEffects.h"
#include "shell/GlassPanel.h"
#include "ui/GlassContainer.h"

#include <QProcess>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

class GlassPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void heightFollowsRequests()
    {
        ManualClock time;
        GlassPanel panel(nullptr, time);
        int resizes = 0;
        panel.onResize = [&] { ++resizes; };

        panel.requestHeight(251.2);
        QCOMPARE(panel.targetHeight(), 252.0);
        time.advance(std::chrono::milliseconds(0));
        QCOMPARE(panel.height(), 252);
        QCOMPARE(resizes, 1);

        panel.requestHeight(251.9);
        QCOMPARE(time.pendingCalls(), 0);
        time.advance(std::chrono::milliseconds(1000));
        QCOMPARE(resizes, 1);

        for (qreal bad : {0.0, -10.0, qQNaN()}) {
            panel.requestHeight(bad);
            QCOMPARE(panel.targetHeight(), 252.0);
        }
        // Hidden, a shrink has nothing to wait for.
        panel.requestHeight(100);
        time.advance(std::chrono::milliseconds(0));
        QCOMPARE(panel.height(), 100);

        // Shown, a shrink waits and a re-grow cancels it.
        panel.requestHeight(500);
        time.advance(std::chrono::milliseconds(0));
        panel.move(100, 40);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const int top = panel.y();
        resizes = 0;

        panel.requestHeight(300);
        time.advance(std::chrono::milliseconds(399));
        QCOMPARE(panel.height(), 500);
        time.advance(std::chrono::milliseconds(1));
        QCOMPARE(panel.height(), 300);
        QCOMPARE(panel.y(), top);
        QCOMPARE(resizes, 1);

        // Grow now; a shrink followed quickly by a re-grow never shows.
        panel.requestHeight(500);
        time.advance(std::chrono::milliseconds(0));
        QCOMPARE(panel.height(), 500);
        panel.requestHeight(300);
        time.advance(std::chrono::milliseconds(200));
        panel.requestHeight(500);
        time.advance(std::chrono::milliseconds(1000));
        QCOMPARE(panel.height(), 500);
        QCOMPARE(resizes, 2);
        QCOMPARE(panel.width(), GlassPanel::panelWidth);
        panel.hide();
    }

    void escapeClosesFromAnyChild()
    {
        auto *content = new QWidget;
        auto *field = new QWidget(content);
        field->setFocusPolicy(Qt::StrongFocus);
        ManualClock time;
        GlassPanel panel(content, time);
        QSignalSpy closed(&panel, &GlassPanel::closed);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!panel.isVisible());
        QCOMPARE(closed.count(), 1);
    }

    // The panel over a white window on the real X server, with and without a compositor:
    // the corners show the window behind, the card reads dark, and a card waiting to shrink
    // leaves nothing painted below it.
    void cardOverALightWindow_data()
    {
        QTest::addColumn<bool>("composited");
        QTest::newRow("no compositor") << false;
        QTest::newRow("xcompmgr") << true;
    }
    void cardOverALightWindow()
    {
        QFETCH(bool, composited);
        CORVANE_REQUIRE(QGuiApplication::platformName() == QLatin1String("xcb"), "an X server");
        QProcess compositor;
        if (composited) {
            CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("xcompmgr")).isEmpty(),
                            "xcompmgr (scripts/deps installs it)");
            compositor.start(QStringLiteral("xcompmgr"), {});
            QVERIFY(compositor.waitForStarted());
            QTRY_VERIFY(X11WindowEffects::compositorActive());
        }
        QVERIFY(!composited || X11WindowEffects::compositorActive());

        QWidget paper;
        paper.setAttribute(Qt::WA_StyledBackground);
        paper.setStyleSheet(QStringLiteral("background: white;"));
        paper.setGeometry(0, 0, 800, 700);
        paper.show();
        QVERIFY(QTest::qWaitForWindowExposed(&paper));

        ManualClock time;
        auto *card = new GlassContainer(18);
        card->setBackdrop({&X11WindowEffects::compositorActive, &X11WindowEffects::applyBlurBehind});
        auto *layout = new QVBoxLayout(card);
        auto *child = new QWidget;
        child->setFixedHeight(400);
        layout->addWidget(child);
        GlassPanel panel(card, time);
        time.advance(std::chrono::milliseconds(0));
        panel.moveCardTo(QPoint(200, 100));
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(panel.margin() > 0, composited);
        QCOMPARE(panel.cardRect().topLeft() + panel.pos(), QPoint(200, 100));
        const int height = panel.cardSize().height();

        auto screenAt = [composited](int x, int y) {
            QTest::qWait(composited ? 300 : 100); // the compositor repaints on its own time
            return QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0);
        };
        QTRY_VERIFY(qGray(screenAt(350, 100 + height / 2)) < 90);
        QVERIFY2(qGray(screenAt(201, 101)) > 230, "the corner shows the window behind");
        QVERIFY(qGray(screenAt(200 + 299, 100 + height - 1)) > 230);
        if (composited)
            QVERIFY2(qGray(screenAt(350, 100 + height + 6)) < 250, "a shadow under the card");

        // The content shrinks; the window waits before following.
        child->setFixedHeight(150);
        QCoreApplication::sendPostedEvents();
        QVERIFY(panel.cardSize().height() >= height);
        const int shrunk = int(panel.targetHeight());
        QVERIFY(shrunk < height - 100);
        QVERIFY2(qGray(screenAt(350, 100 + shrunk + 40)) > 230, "no band below the shrinking card");
        time.advance(std::chrono::milliseconds(GlassPanel::shrinkDelayMs));
        QCOMPARE(panel.cardSize().height(), shrunk);

        if (composited) {
            // The shadow margin is not the panel: a click there closes it.
            QSignalSpy closed(&panel, &GlassPanel::closed);
            QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(panel.margin() / 2, panel.height() / 2));
            QCOMPARE(closed.count(), 1);
            compositor.terminate();
            compositor.waitForFinished();
            QTRY_VERIFY(!X11WindowEffects::compositorActive());
        }
    }
};

QTEST_MAIN(GlassPanelTest)
#include "tst_GlassPanel.moc"
