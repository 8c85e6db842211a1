// SPDX-License-Identifier: GPL-3.0-or-later
// The animation machinery: when it costs frames. Time is stepped by hand.
#include "ManualClock.h"
#include "ui/AnimationTimeline.h"
#include "ui/BreathingGlow.h"
#include "ui/PulseDot.h"

#include <QtTest>
#include <functional>

class TestWidgets : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_MAIN(TestWidgets)
#include "tst_Widgets.moc"
