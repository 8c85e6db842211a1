// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PanelPlacement.h"

#include <QtTest>

// A 1280 × 800 screen and a 300 × 400 panel, with the desktop's bar on each edge in turn.
class PanelPlacementTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void origin_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("origin");
        const QRect topBar(0, 24, 1280, 776);
        const QRect bottomBar(0, 0, 1280, 780);
        const QRect leftBar(48, 0, 1232, 800);
        const QRect rightBar(0, 0, 1232, 800);
        QTest::newRow("top bar: centred under the icon") << QRect(600, 0, 24, 24) << topBar << QPoint(462, 30);
        QTest::newRow("top bar: near the left edge") << QRect(2, 0, 24, 24) << topBar << QPoint(8, 30);
        QTest::newRow("top bar: near the right edge") << QRect(1270, 0, 10, 24) << topBar << QPoint(972, 30);
        QTest::newRow("top bar: a click point inside it") << QRect(640, 10, 1, 1) << topBar << QPoint(490, 30);
        QTest::newRow("bottom bar: above the icon") << QRect(600, 780, 24, 20) << bottomBar << QPoint(462, 374);
        QTest::newRow("bottom bar: in the corner") << QRect(1260, 782, 16, 16) << bottomBar << QPoint(972, 374);
        QTest::newRow("left bar: beside it, level with the icon")
            << QRect(12, 400, 24, 24) << leftBar << QPoint(54, 212);
        QTest::newRow("left bar: icon at the bottom") << QRect(12, 770, 24, 24) << leftBar << QPoint(54, 392);
        QTest::newRow("right bar: icon at the top") << QRect(1244, 100, 24, 24) << rightBar << QPoint(926, 8);
        // Points a host may send from anywhere (a hidden-items popup, another screen): the
        // panel flips to the side it fits on and never leaves the usable area.
        QTest::newRow("mid-screen point, room on neither side") << QRect(600, 400, 1, 1) << topBar << QPoint(450, 400);
        QTest::newRow("point left of and above the screen") << QRect(-500, -300, 1, 1) << topBar << QPoint(8, 30);
        QTest::newRow("point beyond the bottom right") << QRect(2000, 1500, 1, 1) << bottomBar << QPoint(972, 374);
        QTest::newRow("no screen known") << QRect(600, 0, 24, 24) << QRect() << QPoint(462, 30);
    }
    void origin()
    {
        QFETCH(QRect, anchor);
        QFETCH(QRect, available);
        QFETCH(QPoint, origin);
        const QRect screen = available.isValid() ? QRect(0, 0, 1280, 800) : QRect();
        QCOMPARE(PanelPlacement::origin(anchor, QSize(300, 400), screen, available), origin);
    }

    // Without a tray: a fixed place on the primary screen, whatever the pointer does.
    void windowOrigin_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("origin");
        const QRect topBar(0, 24, 1280, 776);
        QTest::newRow("short panel: an eighth of the way down") << QSize(300, 400) << topBar << QPoint(490, 121);
        QTest::newRow("taller: the top stays") << QSize(300, 640) << topBar << QPoint(490, 121);
        QTest::newRow("too tall to keep it: rises just enough") << QSize(300, 700) << topBar << QPoint(490, 92);
        QTest::newRow("taller than the area: its top stays in it") << QSize(300, 900) << topBar << QPoint(490, 32);
        QTest::newRow("second screen to the right at scale 2")
            << QSize(300, 400) << QRect(1280, 0, 960, 540) << QPoint(1610, 67);
        QTest::newRow("no screen known") << QSize(300, 400) << QRect() << QPoint(8, 8);
    }
    void windowOrigin()
    {
        QFETCH(QSize, panel);
        QFETCH(QRect, available);
        QFETCH(QPoint, origin);
        QCOMPARE(PanelPlacement::windowOrigin(panel, available), origin);
    }
};

QTEST_APPLESS_MAIN(PanelPlacementTest)
#include "tst_PanelPlacement.moc"
