#include "ManualScheduler.h"
#include "shell/GlassPanel.h"
#include "shell/StatusItemController.h"

#include <QVBoxLayout>
#include <QtTest>

class GlassPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void heightIsRoundedUpAndRepeatsIgnored()
    {
        ManualScheduler time;
        GlassPanel panel(nullptr, time.scheduler());
        int resizes = 0;
        panel.onResize = [&] { ++resizes; };

        panel.requestHeight(251.2);
        QCOMPARE(panel.targetHeight(), 252.0);
        time.advance(0);
        QCOMPARE(panel.height(), 252);
        QCOMPARE(resizes, 1);

        panel.requestHeight(251.9);
        QCOMPARE(time.pending(), 0);
        time.advance(1000);
        QCOMPARE(resizes, 1);

        for (qreal bad : {0.0, -10.0, qQNaN()}) {
            panel.requestHeight(bad);
            QCOMPARE(panel.targetHeight(), 252.0);
        }
    }

    void visibleShrinkWaitsAndRegrowCancelsIt()
    {
        ManualScheduler time;
        GlassPanel panel(nullptr, time.scheduler());
        int resizes = 0;
        panel.onResize = [&] { ++resizes; };
        panel.requestHeight(500);
        time.advance(0);
        panel.move(100, 40);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const int top = panel.y();
        resizes = 0;

        panel.requestHeight(300);
        time.advance(399);
        QCOMPARE(panel.height(), 500);
        time.advance(1);
        QCOMPARE(panel.height(), 300);
        QCOMPARE(panel.y(), top);
        QCOMPARE(resizes, 1);

        // Grow now; a shrink followed quickly by a re-grow never shows.
        panel.requestHeight(500);
        time.advance(0);
        QCOMPARE(panel.height(), 500);
        panel.requestHeight(300);
        time.advance(200);
        panel.requestHeight(500);
        time.advance(1000);
        QCOMPARE(panel.height(), 500);
        QCOMPARE(resizes, 2);
        QCOMPARE(panel.width(), GlassPanel::panelWidth);
        panel.hide();
    }

    void hiddenChangesApplyAtOnce()
    {
        ManualScheduler time;
        GlassPanel panel(nullptr, time.scheduler());
        panel.requestHeight(500);
        time.advance(0);
        panel.requestHeight(300);
        time.advance(0);
        QCOMPARE(panel.height(), 300);
    }

    void contentDrivesTheHeight()
    {
        ManualScheduler time;
        auto *content = new QWidget;
        content->setMinimumHeight(320);
        auto *layout = new QVBoxLayout(content);
        auto *child = new QWidget;
        child->setFixedHeight(200);
        layout->addWidget(child);
        GlassPanel panel(content, time.scheduler());
        time.advance(0);
        QCOMPARE(panel.height(), content->sizeHint().height());
        child->setFixedHeight(600);
        QCoreApplication::sendPostedEvents();
        time.advance(0);
        QVERIFY(panel.height() >= 600);
    }

    void escapeClosesFromAnyChild()
    {
        auto *content = new QWidget;
        auto *field = new QWidget(content);
        field->setFocusPolicy(Qt::StrongFocus);
        GlassPanel panel(content);
        QSignalSpy closed(&panel, &GlassPanel::closed);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!panel.isVisible());
        QCOMPARE(closed.count(), 1);
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("origin");
        const QRect screen(0, 0, 1280, 800);
        Q_UNUSED(screen);
        // Available area: a 24 px bar at the top.
        QTest::newRow("centred under the icon") << QRect(600, 0, 24, 24) << QPoint(462, 30);
        QTest::newRow("near the left edge") << QRect(2, 0, 24, 24) << QPoint(8, 30);
        QTest::newRow("near the right edge") << QRect(1270, 0, 10, 24) << QPoint(1280 - 300 - 8, 30);
        QTest::newRow("a click point inside the bar") << QRect(640, 10, 1, 1) << QPoint(490, 30);
        QTest::newRow("tray at the bottom") << QRect(600, 780, 24, 20) << QPoint(462, 780 - 6 - 400);
        // Points a host may send from anywhere (a hidden-items popup, another screen): the
        // panel flips to the side it fits on and never leaves the usable area.
        QTest::newRow("mid-screen point, room on neither side") << QRect(600, 400, 1, 1) << QPoint(450, 800 - 400);
        QTest::newRow("point left of and above the screen") << QRect(-500, -300, 1, 1) << QPoint(8, 30);
        QTest::newRow("point beyond the bottom right") << QRect(2000, 1500, 1, 1) << QPoint(1280 - 300 - 8, 780 - 6 - 400);
    }
    void placement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, origin);
        QRect available(0, 24, 1280, 776);
        if (anchor.y() > 400)
            available = QRect(0, 0, 1280, 780);
        QCOMPARE(StatusItemController::panelOrigin(anchor, QSize(300, 400), available), origin);
    }
};

QTEST_MAIN(GlassPanelTest)
#include "tst_GlassPanel.moc"
