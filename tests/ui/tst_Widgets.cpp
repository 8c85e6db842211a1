// SPDX-License-Identifier: GPL-3.0-or-later
// The animation machinery and the panel's controls: how they move, when they cost frames,
// what they draw and what they tell assistive technology. Time is stepped by hand.
#include "ui/AnimatedValue.h"
#include "ManualClock.h"
#include "ui/AnimationTimeline.h"
#include "ui/BreathingGlow.h"
#include "ui/CorvaneStyles.h"
#include "ui/PresetPill.h"
#include "ui/PulseDot.h"
#include "ui/WakeSwitch.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <functional>

class TestWidgets : public QObject {
    Q_OBJECT
    ManualClock m_clock;

private Q_SLOTS:
    void interruptedAnimationsNeverJump()
    {
        // A spring turned round mid-way starts from where it is, with the speed it had.
        AnimatedValue a(0.0);
        a.animateTo(1.0, SpringCurve::shared(), 0.0);
        const double x = a.value(0.1);
        const double v = a.velocity(0.1);
        a.animateTo(0.0, SpringCurve::shared(), 0.1);
        QCOMPARE(a.value(0.1), x);
        QVERIFY(std::abs(a.velocity(0.1) - v) < 1e-9);
        QVERIFY(a.value(0.11) > x); // still carried upwards for a moment
        // It comes to rest on its target within about a second, bouncing a little on the way.
        AnimatedValue b(0.0);
        b.animateTo(100.0, SpringCurve::shared(), 0.0);
        double peak = 0;
        for (double t = 0; t < 2; t += 0.001)
            peak = std::max(peak, b.value(t));
        QVERIFY(peak > 102 && peak < 108);
        QVERIFY(!b.isAnimating(1.5));
        QCOMPARE(b.value(1.5), 100.0);
        // A linear glide (the progress bar's) restarted half way goes on from there.
        AnimatedValue c(1.0);
        c.animateTo(0.0, LinearCurve{1.0}, 5.0);
        QCOMPARE(c.value(5.5), 0.5);
        c.animateTo(1.0, LinearCurve{1.0}, 5.5);
        QCOMPARE(c.value(6.0), 0.75);
    }

    void framesOnlyWhileActiveAndSeen()
    {
        ManualClock clock;
        QWidget window;
        auto *host = new QWidget(&window);
        int frames = 0;
        auto &timeline = *new AnimationTimeline(host, clock, AnimationTimeline::minimumInterval, [&] { ++frames; });
        timeline.setActive(true);
        QVERIFY(!timeline.isRunning()); // never shown
        window.show();
        clock.advance(std::chrono::seconds(1));
        QVERIFY(frames >= 29 && frames <= 30); // never faster than asked
        for (auto hideIt :
             std::vector<std::function<void()>>{[&] { window.hide(); }, [&] { host->hide(); },
                                                [&] { window.showMinimized(); }, [&] { timeline.setActive(false); }}) {
            hideIt();
            QVERIFY(!timeline.isRunning());
            timeline.setActive(true);
            host->show();
            window.showNormal();
            QVERIFY(timeline.isRunning());
        }
        // Moved into a hidden window: stops there too.
        QWidget other;
        host->setParent(&other);
        host->show();
        QVERIFY(!timeline.isRunning());

        // Pulsing views: nothing while inactive or hidden, about 15 frames a second on screen.
        ManualClock pulse;
        QWidget shown;
        auto *dot = new PulseDot(pulse, &shown);
        dot->setActive(true);
        PulseDot inactive(pulse);
        inactive.show();
        QWidget glowHost;
        BreathingGlow hiddenGlow(&glowHost, pulse, 16);
        hiddenGlow.setActive(true);
        pulse.advance(std::chrono::milliseconds(10000));
        QCOMPARE(pulse.deliveredFrames(), quint64(0));
        shown.show();
        pulse.advance(std::chrono::milliseconds(1000));
        QVERIFY(pulse.deliveredFrames() >= 14 && pulse.deliveredFrames() <= 15);
        dot->setActive(false);
        QCOMPARE(pulse.frameSubscriptions(), 0);
    }

    void switchReportsChangesOnceAndDrawsItsState()
    {
        WakeSwitch s(m_clock);
        s.setAttribute(Qt::WA_TranslucentBackground); // grab only what the switch paints
        s.resize(300 + 32, s.height());
        QSignalSpy on(&s, &WakeSwitch::onChanged);
        QSignalSpy progress(&s, &WakeSwitch::progressChanged);
        s.setOn(false);
        s.setProgress(0.0);
        s.setTitle(QStringLiteral("IDLE"));
        QCOMPARE(on.count() + progress.count(), 0);

        const QImage idle = s.grab().toImage();
        s.setAccent(CorvaneStyles::cyan());
        s.setOn(true);
        s.setProgress(1.0);
        s.setProgress(std::nan(""));
        s.setProgress(std::nan(""));
        QCOMPARE(on.count(), 1);
        QCOMPARE(progress.count(), 2);
        s.setProgress(1.0);
        m_clock.advance(std::chrono::milliseconds(2000));
        const QImage running = s.grab().toImage();
        // The fill runs under the text on the left half: cyan shows through there only when on.
        const QPoint inFill(s.trackRect().left() + 60, s.trackRect().center().y() + 20);
        QVERIFY(QColor(running.pixel(inFill)).blue() > QColor(idle.pixel(inFill)).blue() + 20);
        // The breathing glow shows in the margin only while on.
        const QPoint margin(s.width() / 2, 6);
        QCOMPARE(qAlpha(idle.pixel(margin)), 0);
        QVERIFY(qAlpha(running.pixel(margin)) > 0);
    }

    void switchTakesClicksOnlyInsideItsShape()
    {
        WakeSwitch s(m_clock);
        s.resize(332, s.height());
        s.show();
        QSignalSpy clicked(&s, &WakeSwitch::clicked);
        const QRectF t = s.trackRect();
        QTest::mouseClick(&s, Qt::LeftButton, {}, t.center().toPoint());
        QTest::mouseClick(&s, Qt::LeftButton, {}, (t.topLeft() + QPointF(1, 1)).toPoint()); // the rounded corner
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(2, 2)); // the glow margin
        QCOMPARE(clicked.count(), 1);
        QVERIFY(!s.isOn()); // the caller decides
    }

    void pillReportsSelectionOnceAndTakesClicksInsideItsShape()
    {
        PresetPill pill(QStringLiteral("1 h"), m_clock);
        pill.resize(100, pill.height());
        pill.show();
        QSignalSpy selected(&pill, &PresetPill::selectedChanged);
        QSignalSpy clicked(&pill, &PresetPill::clicked);
        pill.setSelected(true);
        pill.setSelected(true);
        QCOMPARE(selected.count(), 1);
        QTest::mouseClick(&pill, Qt::LeftButton, {}, pill.capsuleRect().center().toPoint());
        QTest::mouseClick(&pill, Qt::LeftButton, {}, (pill.capsuleRect().topLeft() + QPointF(1, 1)).toPoint());
        QCOMPARE(clicked.count(), 1);
    }

    void accessibilityNamesValuesAndStates()
    {
        QWidget window;
        auto *s = new WakeSwitch(m_clock, &window);
        auto *pill = new PresetPill(QStringLiteral("15 min"), m_clock, &window);
        auto *dot = new PulseDot(m_clock, &window);
        window.show();

        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(s);
        QCOMPARE(a->role(), QAccessible::Button);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Keep awake"));
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("Off"));
        QVERIFY(a->state().checkable && !a->state().checked);
        s->setOn(true);
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("On"));
        QVERIFY(a->state().checked);
        QSignalSpy clicked(s, &WakeSwitch::clicked);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), 1);

        QAccessibleInterface *p = QAccessible::queryAccessibleInterface(pill);
        QCOMPARE(p->text(QAccessible::Name), QStringLiteral("15 min"));
        pill->setSelected(true);
        QVERIFY(p->state().selected);
        QVERIFY(QAccessible::queryAccessibleInterface(dot)->state().invisible);
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_Widgets.moc"
