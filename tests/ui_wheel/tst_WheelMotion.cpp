#include "ui/WheelMotion.h"

#include <QtTest>
#include <cmath>

class WheelMotionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsWhereAndHowItIsToldAndRestsExactlyOnTarget_data()
    {
        QTest::addColumn<bool>("glide");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("velocity");
        QTest::addColumn<double>("to");
        QTest::newRow("spring at rest") << false << 0.0 << 0.0 << 26.0;
        QTest::newRow("spring thrown the other way") << false << 52.0 << -900.0 << 78.0;
        QTest::newRow("glide with the throw") << true << 10.0 << 600.0 << 182.0;
        QTest::newRow("glide that would crawl") << true << 0.0 << 5.0 << 26.0;
        QTest::newRow("glide against the throw") << true << 40.0 << -300.0 << 52.0;
    }

    void startsWhereAndHowItIsToldAndRestsExactlyOnTarget()
    {
        QFETCH(bool, glide);
        QFETCH(double, from);
        QFETCH(double, velocity);
        QFETCH(double, to);
        const WheelMotion m = glide ? WheelMotion::glide(from, velocity, to)
                                    : WheelMotion::spring(from, velocity, to, 0.35, 0.7);
        QCOMPARE(m.position(0), from);
        QVERIFY2(std::abs(m.velocity(0) - velocity) < 0.02 * std::abs(velocity) + 1.0, "velocity is not carried over");
        double t = 0;
        while (!m.finished(t) && t < 5.0)
            t += 1.0 / 120.0;
        QVERIFY2(t < 2.0, "motion does not settle in time");
        QCOMPARE(m.target(), to);
        QVERIFY(std::abs(m.position(t) - to) < 0.1);
    }

    void aGlideNeverPassesItsTarget()
    {
        const WheelMotion m = WheelMotion::glide(0, 1500, 26 * 17);
        double previous = m.position(0);
        for (double t = 0; t < 3; t += 1.0 / 240.0) {
            const double p = m.position(t);
            QVERIFY(p >= previous - 1e-9);
            QVERIFY(p <= 26 * 17 + 1e-9);
            previous = p;
        }
    }

    void theSharedSpringOvershootsALittleAndACriticalOneNot()
    {
        const WheelMotion shared = WheelMotion::spring(0, 0, 100, 0.35, 0.7);
        const WheelMotion critical = WheelMotion::spring(0, 0, 100, 0.35, 1.0);
        double peakShared = 0, peakCritical = 0;
        for (double t = 0; t < 2; t += 1.0 / 240.0) {
            peakShared = std::max(peakShared, shared.position(t));
            peakCritical = std::max(peakCritical, critical.position(t));
        }
        // Damping fraction 0.7 overshoots by exp(-π·0.7/√(1−0.49)) ≈ 4.6 %.
        QVERIFY(peakShared > 104.0 && peakShared < 105.2);
        QVERIFY(peakCritical <= 100.0 + 1e-9);
        // Response 0.35 s: halfway there well within the first response period.
        QVERIFY(shared.position(0.1) > 40 && shared.position(0.1) < 80);
    }
};

QTEST_APPLESS_MAIN(WheelMotionTest)
#include "tst_WheelMotion.moc"
