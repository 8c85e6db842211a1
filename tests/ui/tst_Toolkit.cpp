// Animation, timelines and glows: the machinery every view moves with.
#include "ui/AnimatedValue.h"
#include "ui/AnimationClock.h"
#include "ui/AnimationTimeline.h"
#include "ui/BreathingGlow.h"
#include "ui/PressableStyle.h"
#include "ui/PulseDot.h"
#include "ui/SoftShadow.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>
#include <numbers>

class TestToolkit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void springFollowsTheDampedOscillatorEquation();
    void springRetargetKeepsPositionAndVelocity();
    void springComesToRestAndReportsIt();
    void linearAnimationIsLinearAndRestartsFromWhereItIs();

    void timelineRunsOnlyWhileActiveAndVisible();
    void hiddenOrInactivePulsingViewsCauseNoWakeUps();
    void framesNeverArriveFasterThanTheMinimumInterval();

    void pulseDotAndGlowPhasesFollowTheClock();
    void glowReusesItsBlurredImagesAcrossFrames();
    void pressedStyleScalesAndDarkens();
};

// Integrates x'' = -k x - c x' with small RK4 steps: an independent check of the closed form.
static double integrateSpring(double x0, double v0, double t, double response, double zeta)
{
    const double omega = 2 * std::numbers::pi / response;
    const double k = omega * omega;
    const double c = 2 * zeta * omega;
    double x = x0;
    double v = v0;
    const int steps = 20000;
    const double h = t / steps;
    auto acc = [&](double xx, double vv) { return -k * xx - c * vv; };
    for (int i = 0; i < steps; ++i) {
        const double k1x = v, k1v = acc(x, v);
        const double k2x = v + h / 2 * k1v, k2v = acc(x + h / 2 * k1x, v + h / 2 * k1v);
        const double k3x = v + h / 2 * k2v, k3v = acc(x + h / 2 * k2x, v + h / 2 * k2v);
        const double k4x = v + h * k3v, k4v = acc(x + h * k3x, v + h * k3v);
        x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return x;
}

void TestToolkit::springFollowsTheDampedOscillatorEquation()
{
    AnimatedValue a(0.0);
    a.animateTo(1.0, SpringCurve::shared(), 10.0);
    for (double t : {0.05, 0.1, 0.2, 0.3, 0.4}) {
        const double expected = 1.0 + integrateSpring(-1.0, 0.0, t, 0.35, 0.7);
        QVERIFY2(std::abs(a.value(10.0 + t) - expected) < 1e-6, qPrintable(QString::number(t)));
    }
    // Damping 0.7 overshoots, a little: the visible bounce of the shared spring.
    double peak = 0;
    for (double t = 0; t < 1; t += 0.001)
        peak = std::max(peak, a.value(10.0 + t));
    QVERIFY(peak > 1.04 && peak < 1.06);
}

void TestToolkit::springRetargetKeepsPositionAndVelocity()
{
    AnimatedValue a(0.0);
    a.animateTo(1.0, SpringCurve::shared(), 0.0);
    const double x = a.value(0.1);
    const double v = a.velocity(0.1);
    QVERIFY(v > 0);
    a.animateTo(0.0, SpringCurve::shared(), 0.1);
    QCOMPARE(a.value(0.1), x);
    QVERIFY(std::abs(a.velocity(0.1) - v) < 1e-9);
    // Still moving up for a moment, carried by its speed.
    QVERIFY(a.value(0.11) > x);
    const double expected = integrateSpring(x, v, 0.2, 0.35, 0.7);
    QVERIFY(std::abs(a.value(0.3) - expected) < 1e-6);
}

void TestToolkit::springComesToRestAndReportsIt()
{
    AnimatedValue a(0.0);
    a.animateTo(100.0, SpringCurve::shared(), 0.0);
    QVERIFY(a.isAnimating(0.3));
    QVERIFY(!a.isAnimating(1.5));
    QCOMPARE(a.value(1.5), 100.0);
    // Ends within a tenth of the way of its target, with no visible jump at the end.
    double settle = 0;
    for (double t = 0; t < 2; t += 0.001) {
        if (a.isAnimating(t))
            settle = t;
    }
    QVERIFY(settle > 0.4 && settle < 1.2);
    QVERIFY(std::abs(a.value(settle) - 100.0) < 0.11);
}

void TestToolkit::linearAnimationIsLinearAndRestartsFromWhereItIs()
{
    AnimatedValue a(1.0);
    a.animateTo(0.0, LinearCurve{1.0}, 5.0);
    QCOMPARE(a.value(5.25), 0.75);
    QCOMPARE(a.value(5.5), 0.5);
    QCOMPARE(a.value(6.5), 0.0);
    QVERIFY(!a.isAnimating(6.0));
    a.animateTo(1.0, LinearCurve{1.0}, 5.5);
    QCOMPARE(a.value(5.5), 0.5);
    QCOMPARE(a.value(6.0), 0.75);
}

void TestToolkit::timelineRunsOnlyWhileActiveAndVisible()
{
    ManualAnimationClock clock;
    QWidget window;
    auto *host = new QWidget(&window);
    int frames = 0;
    auto &timeline = *new AnimationTimeline(host, clock, AnimationTimeline::minimumInterval, [&] { ++frames; });

    timeline.setActive(true);
    QVERIFY(!timeline.isRunning()); // never shown
    window.show();
    QVERIFY(timeline.isRunning());
    clock.advance(1.0);
    QVERIFY(frames >= 29 && frames <= 30);

    window.hide();
    QVERIFY(!timeline.isRunning());
    window.show();
    QVERIFY(timeline.isRunning());
    host->hide();
    QVERIFY(!timeline.isRunning());
    host->show();
    window.showMinimized();
    QVERIFY(!timeline.isRunning());
    window.showNormal();
    QVERIFY(timeline.isRunning());
    timeline.setActive(false);
    QVERIFY(!timeline.isRunning());
    QCOMPARE(clock.activeSubscriptions(), 0);

    // Moved into another window that is hidden: stops there too.
    timeline.setActive(true);
    QWidget other;
    host->setParent(&other);
    host->show();
    QVERIFY(!timeline.isRunning());
    other.show();
    QVERIFY(timeline.isRunning());
    other.hide();
    QVERIFY(!timeline.isRunning());
}

void TestToolkit::hiddenOrInactivePulsingViewsCauseNoWakeUps()
{
    ManualAnimationClock clock(1000.0);
    QWidget window;
    auto *activeHidden = new PulseDot(clock, &window);
    activeHidden->setActive(true);
    PulseDot shownInactive(clock);
    shownInactive.show();
    QWidget glowHost;
    BreathingGlow glow(&glowHost, clock, 16);
    glow.setActive(false);
    glowHost.show();
    QWidget hiddenGlowHost;
    BreathingGlow hiddenGlow(&hiddenGlowHost, clock, 16);
    hiddenGlow.setActive(true);

    clock.advance(10.0);
    QCOMPARE(clock.activeSubscriptions(), 0);
    QCOMPARE(clock.deliveredFrames(), quint64(0));

    // The same dot once its window shows: about 15 frames a second, and none after it stops.
    window.show();
    clock.advance(1.0);
    QVERIFY(clock.deliveredFrames() >= 14 && clock.deliveredFrames() <= 15);
    activeHidden->setActive(false);
    const quint64 before = clock.deliveredFrames();
    clock.advance(5.0);
    QCOMPARE(clock.deliveredFrames(), before);
}

void TestToolkit::framesNeverArriveFasterThanTheMinimumInterval()
{
    ManualAnimationClock clock;
    std::vector<double> times;
    auto sub = clock.frames(1.0 / 30.0, [&] { times.push_back(clock.now()); });
    clock.advance(2.0, 0.001);
    QVERIFY(times.size() >= 58 && times.size() <= 60);
    for (size_t i = 1; i < times.size(); ++i)
        QVERIFY(times[i] - times[i - 1] >= 1.0 / 30.0 - 1e-6);
    sub.reset();
    clock.advance(1.0);
    QVERIFY(times.size() <= 60);
}

void TestToolkit::pulseDotAndGlowPhasesFollowTheClock()
{
    // 0.9 s past a whole period: half way.
    const auto ring = PulseDot::ringAt(1.8 * 1000 + 0.9);
    QVERIFY(std::abs(ring.scale - 1.7) < 1e-9);
    QVERIFY(std::abs(ring.opacity - 0.35) < 1e-9);
    QCOMPARE(PulseDot::ringAt(3.6).scale, 1.0);
    QVERIFY(std::abs(PulseDot::ringAt(-0.9).scale - 1.7) < 1e-9); // before the reference date

    const auto off = BreathingGlow::at(false, 123.4, 16);
    QCOMPARE(off.opacity, 0.0);
    QCOMPARE(off.radius, 0.6 * 16);
    const auto peak = BreathingGlow::at(true, 0.8, 16); // a quarter of 3.2 s: sine at 1
    QVERIFY(std::abs(peak.opacity - 0.60) < 1e-9);
    QVERIFY(std::abs(peak.radius - 16) < 1e-9);
    const auto trough = BreathingGlow::at(true, 2.4, 10);
    QVERIFY(std::abs(trough.opacity - 0.22) < 1e-9);
    QVERIFY(std::abs(trough.radius - 6) < 1e-9);
}

void TestToolkit::glowReusesItsBlurredImagesAcrossFrames()
{
    ManualAnimationClock clock;
    QWidget host;
    host.resize(200, 100);
    BreathingGlow glow(&host, clock, 16);
    glow.setColor(Qt::red);
    glow.setActive(true);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(30, 30, 140, 40), 14, 14);
    QImage canvas(200, 100, QImage::Format_ARGB32_Premultiplied);
    auto drawPeriod = [&] {
        for (int i = 0; i < 96; ++i) { // one 3.2 s period at 30 frames a second
            clock.setNow(clock.now() + 1.0 / 30.0);
            canvas.fill(Qt::transparent);
            QPainter p(&canvas);
            glow.paint(p, shape);
        }
    };
    drawPeriod();
    const quint64 afterFirst = SoftShadow::blurCount();
    drawPeriod();
    QCOMPARE(SoftShadow::blurCount(), afterFirst);

    // And what it draws is a glow: strongest at the shape's edge, fading outwards.
    clock.setNow(0.8);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        glow.paint(p, shape);
    }
    const int nearEdge = qAlpha(canvas.pixel(100, 27));
    const int farther = qAlpha(canvas.pixel(100, 12));
    QVERIFY(nearEdge > farther);
    QVERIFY(farther > 0);
    QCOMPARE(qAlpha(canvas.pixel(100, 0)) < 8, true);
}

void TestToolkit::pressedStyleScalesAndDarkens()
{
    PressableStyle style(0.94);
    QCOMPARE(style.scale(0.0), 1.0);
    QCOMPARE(style.brightness(0.0), 0.0);
    QVERIFY(style.setPressed(true, 0.0));
    QVERIFY(!style.setPressed(true, 0.0));
    QVERIFY(std::abs(style.scale(2.0) - 0.94) < 1e-12);
    QVERIFY(std::abs(style.brightness(2.0) + 0.04) < 1e-12);
    const QRectF r(0, 0, 100, 30);
    QCOMPARE(style.transform(r, 2.0).map(r.center()), r.center());

    QImage img(2, 1, QImage::Format_ARGB32_Premultiplied);
    img.setPixel(0, 0, qRgba(100, 100, 100, 255));
    img.setPixel(1, 0, qRgba(0, 0, 0, 0));
    PressableStyle::adjustBrightness(img, -0.04);
    QCOMPARE(qRed(img.pixel(0, 0)), 100 - 10);
    QCOMPARE(qAlpha(img.pixel(1, 0)), 0);
}

QTEST_MAIN(TestToolkit)
#include "tst_Toolkit.moc"
