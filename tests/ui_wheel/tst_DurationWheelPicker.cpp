// SPDX-License-Identifier: GPL-3.0-or-later
// The picker driven through real input events, with time stepped by hand.
#include "ManualClock.h"
#include "ui/DurationWheelPicker.h"
#include "ui/WheelColumn.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

namespace {
constexpr double row = 26.0;
constexpr int increase = -1; // assistive actions, where a table names a key
constexpr int decrease = -2;

struct Fixture {
    ManualClock clock;
    DurationWheelPicker picker{clock};
    QSignalSpy changes{&picker, &DurationWheelPicker::valueChanged};
    QSignalSpy ticks{&picker, &DurationWheelPicker::ticked};

    Fixture(int hours, int minutes)
    {
        picker.resize(240, 130);
        picker.setValue(hours, minutes);
        picker.show();
        changes.clear();
    }
    WheelColumn *hours() const { return picker.hoursColumn(); }
    WheelColumn *minutes() const { return picker.minutesColumn(); }

    void mouse(WheelColumn *column, QEvent::Type type, double y, Qt::MouseButtons buttons)
    {
        const QPointF local(column->width() / 2.0, y);
        QMouseEvent event(type, local, column->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(column, &event);
    }
    // A drag of `distance` pixels (positive = fingers move up, towards later values)
    // over `seconds`, then the finger lifts.
    void drag(WheelColumn *column, double distance, double seconds, int moves = 12)
    {
        const double start = 65.0 + (distance > 0 ? 40.0 : -40.0);
        mouse(column, QEvent::MouseButtonPress, start, Qt::LeftButton);
        for (int i = 1; i <= moves; ++i) {
            clock.advance(std::chrono::duration<double>(seconds / moves));
            mouse(column, QEvent::MouseMove, start - distance * i / moves, Qt::LeftButton);
        }
        mouse(column, QEvent::MouseButtonRelease, start - distance, Qt::NoButton);
    }
    void wheel(WheelColumn *column, QPoint pixels, QPoint angle, Qt::ScrollPhase phase)
    {
        const QPointF local(column->width() / 2.0, 65);
        QWheelEvent event(local, column->mapToGlobal(local), pixels, angle, Qt::NoButton, Qt::NoModifier, phase, false);
        QApplication::sendEvent(column, &event);
    }
    void key(WheelColumn *column, int key) { QTest::keyClick(column, Qt::Key(key)); }

    bool restsOn(WheelColumn *column, int value) const
    {
        return !column->isMoving() && column->offset() == column->values().indexOf(value) * row
            && column->selection() == value && column->scrolled() == value;
    }
    QList<int> lastChange() const
    {
        return changes.isEmpty() ? QList<int>{}
                                 : QList<int>{changes.last().at(0).toInt(), changes.last().at(1).toInt()};
    }
};
} // namespace

class DurationWheelPickerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyGestureComesToRestExactlyOnARow_data()
    {
        QTest::addColumn<double>("distance");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("expected"); // minutes, starting from 30
        QTest::newRow("slow, less than half a row") << 12.0 << 0.5 << 30;
        QTest::newRow("slow, more than half a row") << 15.0 << 0.5 << 31;
        QTest::newRow("slow, three and a bit rows") << 83.0 << 1.6 << 33;
        QTest::newRow("slow, back two rows") << -50.0 << 0.8 << 28;
        QTest::newRow("flick travels further") << 60.0 << 0.06 << -1;
        QTest::newRow("flick far past the end") << 2000.0 << 0.1 << 59;
        QTest::newRow("flick far past the start") << -2000.0 << 0.1 << 0;
    }

    void everyGestureComesToRestExactlyOnARow()
    {
        QFETCH(double, distance);
        QFETCH(double, seconds);
        QFETCH(int, expected);
        Fixture f(2, 30);
        f.drag(f.minutes(), distance, seconds);
        QVERIFY(f.clock.settle());
        const int value = f.minutes()->selection();
        if (expected < 0)
            QVERIFY2(value > 30 + 3, "a flick should carry the wheel beyond where the finger left it");
        else
            QCOMPARE(value, expected);
        QVERIFY(f.restsOn(f.minutes(), value));
        // One tick per value the wheel passed and the owner was told about each.
        QCOMPARE(f.ticks.count(), f.changes.count());
        if (value == 30)
            QVERIFY(f.changes.isEmpty());
        else
            QCOMPARE(f.lastChange(), (QList<int>{2, value}));
    }

    void touchpadAndMouseWheelAlsoRestOnRows()
    {
        Fixture f(2, 30);
        // Touchpad with phases.
        f.wheel(f.minutes(), {}, {}, Qt::ScrollBegin);
        for (int i = 0; i < 8; ++i) {
            f.clock.advance(std::chrono::duration<double>(0.016));
            f.wheel(f.minutes(), QPoint(0, -7), QPoint(0, -56), Qt::ScrollUpdate);
        }
        f.wheel(f.minutes(), {}, {}, Qt::ScrollEnd);
        QVERIFY(f.clock.settle());
        const int afterPhased = f.minutes()->selection();
        QVERIFY(afterPhased > 30);
        QVERIFY(f.restsOn(f.minutes(), afterPhased));

        // Mouse wheel: a row per notch, finer wheels add up.
        Fixture g(2, 30);
        g.wheel(g.minutes(), {}, QPoint(0, -360), Qt::NoScrollPhase);
        for (int i = 0; i < 8; ++i)
            g.wheel(g.minutes(), {}, QPoint(0, -15), Qt::NoScrollPhase);
        QVERIFY(g.clock.settle());
        QVERIFY(g.restsOn(g.minutes(), 34));
        QCOMPARE(g.ticks.count(), 2);
    }

    // Keys and assistive actions step a wheel, stop at its ends and keep the 48-hour limit;
    // an assistive adjustment never ticks.
    void stepsStopAtTheEnds_data()
    {
        QTest::addColumn<QList<int>>("from"); // hours, minutes
        QTest::addColumn<bool>("onHours");
        QTest::addColumn<int>("input"); // a key, or increase/decrease below
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<int>("ticks"); // -1: not counted
        const int up = Qt::Key_Up, down = Qt::Key_Down;
        QTest::newRow("Up at 0 h") << QList{0, 58} << true << up << QList{0, 58} << 0;
        QTest::newRow("Down") << QList{0, 58} << false << down << QList{0, 59} << 1;
        QTest::newRow("Down at 59 min") << QList{0, 59} << false << down << QList{0, 59} << 0;
        QTest::newRow("End clears the minutes") << QList{0, 58} << true << int(Qt::Key_End) << QList{48, 0} << -1;
        QTest::newRow("Page Up") << QList{48, 0} << true << int(Qt::Key_PageUp) << QList{43, 0} << -1;
        QTest::newRow("Home") << QList{43, 0} << true << int(Qt::Key_Home) << QList{0, 0} << -1;
        QTest::newRow("a stored 50 h is the limit") << QList{50, 0} << false << down << QList{47, 1} << -1;
        QTest::newRow("increase at 48 h") << QList{48, 0} << true << increase << QList{48, 0} << 0;
        QTest::newRow("decrease at 0 min") << QList{48, 0} << false << decrease << QList{48, 0} << 0;
        QTest::newRow("increase through the limit") << QList{48, 0} << false << increase << QList{47, 1} << 0;
        QTest::newRow("increase at 59 min") << QList{0, 59} << false << increase << QList{0, 59} << 0;
        QTest::newRow("decrease at 0 h") << QList{0, 59} << true << decrease << QList{0, 59} << 0;
    }
    void stepsStopAtTheEnds()
    {
        QFETCH(QList<int>, from);
        QFETCH(bool, onHours);
        QFETCH(int, input);
        QFETCH(QList<int>, after);
        QFETCH(int, ticks);
        Fixture f(from[0], from[1]);
        WheelColumn *column = onHours ? f.hours() : f.minutes();
        if (input == increase || input == decrease)
            QAccessible::queryAccessibleInterface(column)->actionInterface()->doAction(
                input == increase ? QAccessibleActionInterface::increaseAction()
                                  : QAccessibleActionInterface::decreaseAction());
        else
            f.key(column, input);
        QVERIFY(f.clock.settle());
        QCOMPARE((QList<int>{f.picker.hours(), f.picker.minutes()}), after);
        QVERIFY(f.restsOn(f.hours(), after[0]) && f.restsOn(f.minutes(), after[1]));
        QCOMPARE(f.changes.isEmpty(), after == from);
        if (ticks >= 0)
            QCOMPARE(f.ticks.count(), ticks);
        QCOMPARE(QAccessible::queryAccessibleInterface(f.hours())->text(QAccessible::Value), QString::number(after[0]));
    }
};

QTEST_MAIN(DurationWheelPickerTest)
#include "tst_DurationWheelPicker.moc"
