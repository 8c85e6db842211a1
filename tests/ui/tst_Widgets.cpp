// The look's building blocks and the four widgets: what they draw, where, and what they tell
// assistive technology.
#include "ui/AnimationClock.h"
#include "ui/BrushedMetal.h"
#include "ui/CorvaneStyles.h"
#include "ui/Icons.h"
#include "ui/PresetPill.h"
#include "ui/ProgressBar.h"
#include "ui/PulseDot.h"
#include "ui/WakeSwitch.h"
#include "ui/WakeSwitchGeometry.h"

#include <QAccessible>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <cstdint>

class TestWidgets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void textureIsStableAndLineByLine();
    void textureMatchesAnIndependentGenerator();

    void switchGeometry_data();
    void switchGeometry();
    void switchReportsChangesOnceAndDrawsItsState();
    void switchClicksOnlyInsideItsRoundedShape();
    void switchKnobGlidesLinearlyOverOneSecond();

    void pillHoverSelectionAndPress();
    void progressBarFillWidths();
    void progressBarGlidesBetweenUpdates();

    void accessibilityNamesValuesAndStates();
    void iconsAreCrispAndTinted();

private:
    ManualAnimationClock m_clock{1000.0};
};

namespace {

// SplitMix64 and the bounded draw written out again from their definitions.
struct Reference {
    std::uint64_t s;
    std::uint64_t next()
    {
        s += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

__extension__ typedef unsigned __int128 u128;

std::uint64_t seedFromLetters()
{
    std::uint64_t v = 0;
    for (char c : std::string("CORVA"))
        v = (v << 8) | std::uint8_t(c);
    return v;
}

} // namespace

void TestWidgets::initTestCase() {}

void TestWidgets::textureIsStableAndLineByLine()
{
    // Lines are half a point: at pixel ratio 2 each one covers exactly one pixel row.
    auto draw = [](BrushedMetal::Tone tone, QSize size) {
        QImage img(size * 2, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(2);
        img.fill(Qt::transparent);
        QPainter p(&img);
        BrushedMetal::paintTexture(p, QRectF(QPointF(0, 0), QSizeF(size)), tone);
        return img;
    };
    const QImage a = draw(BrushedMetal::Tone::Dark, QSize(40, 3));
    QCOMPARE(draw(BrushedMetal::Tone::Dark, QSize(40, 3)), a);
    QVERIFY(draw(BrushedMetal::Tone::Light, QSize(40, 3)) != a);
    for (int row = 0; row < 6; ++row) {
        const bool lineRow = row % 2 == 0;
        QCOMPARE(qAlpha(a.pixel(5, row)) > 0, lineRow);
    }
    std::vector<int> ys;
    BrushedMetal::forEachTextureLine(3.0, BrushedMetal::Tone::Dark,
                                     [&](int y, double, bool) { ys.push_back(y); });
    QCOMPARE(ys, (std::vector<int>{0, 1, 2}));
    ys.clear();
    BrushedMetal::forEachTextureLine(0.0, BrushedMetal::Tone::Dark,
                                     [&](int y, double, bool) { ys.push_back(y); });
    BrushedMetal::forEachTextureLine(-4.0, BrushedMetal::Tone::Dark,
                                     [&](int y, double, bool) { ys.push_back(y); });
    QVERIFY(ys.empty());
    // A fractional height still gets its partial last line.
    BrushedMetal::forEachTextureLine(2.5, BrushedMetal::Tone::Light,
                                     [&](int y, double, bool) { ys.push_back(y); });
    QCOMPARE(ys, (std::vector<int>{0, 1, 2}));
}

void TestWidgets::textureMatchesAnIndependentGenerator()
{
    for (auto tone : {BrushedMetal::Tone::Dark, BrushedMetal::Tone::Light}) {
        const double m = tone == BrushedMetal::Tone::Dark ? 0.07 : 0.12;
        Reference rng{seedFromLetters()};
        const std::uint64_t n = (std::uint64_t(1) << 53) + 1;
        const std::uint64_t threshold = (0 - n) % n; // 2^64 mod n
        std::vector<std::pair<double, bool>> expected;
        for (int y = 0; y < 64; ++y) {
            std::uint64_t k;
            for (;;) {
                const u128 prod = u128(rng.next()) * n;
                if (std::uint64_t(prod) >= threshold) {
                    k = std::uint64_t(prod >> 64);
                    break;
                }
            }
            const double opacity = k == n - 1 ? m : m * std::ldexp(double(k), -53);
            expected.emplace_back(opacity, (rng.next() & (1u << 17)) == 0);
        }
        std::vector<std::pair<double, bool>> actual;
        BrushedMetal::forEachTextureLine(64.0, tone, [&](int, double o, bool white) {
            actual.emplace_back(o, white);
        });
        QCOMPARE(actual, expected);
        bool sawWhite = false, sawBlack = false;
        for (auto &[o, w] : actual) {
            QVERIFY(o >= 0 && o <= m);
            (w ? sawWhite : sawBlack) = true;
        }
        QVERIFY(sawWhite && sawBlack);
    }
    // And on screen: the first line's pixel is that colour at that opacity.
    QImage img(QSize(4, 2), QImage::Format_ARGB32);
    img.setDevicePixelRatio(2);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        BrushedMetal::paintTexture(p, QRectF(0, 0, 2, 1), BrushedMetal::Tone::Light);
    }
    double firstOpacity = 0;
    bool firstWhite = false;
    BrushedMetal::forEachTextureLine(1.0, BrushedMetal::Tone::Light, [&](int, double o, bool w) {
        firstOpacity = o;
        firstWhite = w;
    });
    const QColor c = QColor::fromRgba(img.pixel(1, 0));
    QVERIFY(std::abs(c.alphaF() - firstOpacity) <= 1.0 / 255 + 1e-6);
    QCOMPARE(c.red() > 128, firstWhite);
}

void TestWidgets::switchGeometry_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<double>("fill");
    QTest::addColumn<double>("knobX");
    QTest::addColumn<double>("fillWidth");
    QTest::addColumn<bool>("textLeft");
    QTest::addColumn<double>("leading");
    QTest::addColumn<double>("trailing");
    // W 300, knob 48, inset 5: travel 242.
    QTest::newRow("half way on") << true << 0.5 << 126.0 << 150.0 << false << 184.0 << 16.0;
    QTest::newRow("just past half") << true << 0.51 << 128.42 << 152.42 << true << 16.0
                                    << 300 - 128.42 + 10;
    QTest::newRow("past the end") << true << 1.3 << 247.0 << 271.0 << true << 16.0 << 63.0;
    QTest::newRow("below zero") << true << -0.2 << 5.0 << 29.0 << false << 63.0 << 16.0;
    QTest::newRow("off keeps knob, no fill") << false << 0.8 << 198.6 << 0.0 << false << 256.6
                                             << 16.0;
    QTest::newRow("not a number") << true << std::nan("") << 5.0 << 29.0 << false << 63.0 << 16.0;
}

void TestWidgets::switchGeometry()
{
    QFETCH(bool, on);
    QFETCH(double, fill);
    const auto g = WakeSwitchGeometry::compute(300, on, fill, 48, 5);
    QCOMPARE(g.travel, 242.0);
    QFETCH(double, knobX);
    QFETCH(double, fillWidth);
    QFETCH(bool, textLeft);
    QFETCH(double, leading);
    QFETCH(double, trailing);
    QVERIFY(std::abs(g.knobX - knobX) < 1e-9);
    QVERIFY(std::abs(g.fillWidth - fillWidth) < 1e-9);
    QCOMPARE(g.textLeft, textLeft);
    QVERIFY(std::abs(g.textLeading - leading) < 1e-9);
    QVERIFY(std::abs(g.textTrailing - trailing) < 1e-9);
    // At 1.3 the knob's right edge sits one inset from the track's right edge.
    if (fill > 1)
        QCOMPARE(g.knobX + 48, 300.0 - 5);
}

void TestWidgets::switchReportsChangesOnceAndDrawsItsState()
{
    WakeSwitch s(m_clock);
    s.setAttribute(Qt::WA_TranslucentBackground); // grab only what the switch paints
    s.resize(300 + 32, s.height());
    QSignalSpy on(&s, &WakeSwitch::onChanged);
    QSignalSpy progress(&s, &WakeSwitch::progressChanged);
    QSignalSpy title(&s, &WakeSwitch::titleChanged);
    s.setOn(false);
    s.setProgress(0.0);
    QCOMPARE(on.count(), 0);
    QCOMPARE(progress.count(), 0);
    s.setTitle(QStringLiteral("IDLE"));
    s.setTitle(QStringLiteral("IDLE"));
    QCOMPARE(title.count(), 1);

    const QImage idle = s.grab().toImage();
    s.setAccent(CorvaneStyles::cyan());
    s.setOn(true);
    s.setProgress(1.0);
    QCOMPARE(on.count(), 1);
    s.setProgress(std::nan(""));
    s.setProgress(std::nan(""));
    QCOMPARE(progress.count(), 2);
    s.setProgress(1.0);
    m_clock.advance(2.0);
    const QImage running = s.grab().toImage();
    // The fill runs under the text on the left half: cyan shows through there only when on.
    const QPoint inFill(s.trackRect().left() + 60, s.trackRect().center().y() + 20);
    const QColor before = QColor::fromRgba(idle.pixel(inFill));
    const QColor after = QColor::fromRgba(running.pixel(inFill));
    QVERIFY(after.blue() > before.blue() + 20);
    QVERIFY(after.blue() > after.red());
    // The breathing glow shows in the margin only while on.
    const QPoint margin(s.width() / 2, 6);
    QCOMPARE(qAlpha(idle.pixel(margin)), 0);
    QVERIFY(qAlpha(running.pixel(margin)) > 0);
}

void TestWidgets::switchClicksOnlyInsideItsRoundedShape()
{
    WakeSwitch s(m_clock);
    s.resize(332, s.height());
    s.show();
    QSignalSpy clicked(&s, &WakeSwitch::clicked);
    const QRectF t = s.trackRect();
    QTest::mouseClick(&s, Qt::LeftButton, {}, t.center().toPoint());
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(&s, Qt::LeftButton, {}, (t.topLeft() + QPointF(1, 1)).toPoint());
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(2, 2)); // the glow margin
    QCOMPARE(clicked.count(), 1);
    QVERIFY(!s.isOn()); // the caller decides
    // Pressing shrinks it (spring), releasing brings it back.
    QTest::mousePress(&s, Qt::LeftButton, {}, t.center().toPoint());
    m_clock.advance(1.0);
    QVERIFY(std::abs(s.pressStyle().scale(m_clock.now()) - 0.97) < 1e-9);
    QTest::mouseRelease(&s, Qt::LeftButton, {}, t.center().toPoint());
    m_clock.advance(1.0);
    QCOMPARE(s.pressStyle().scale(m_clock.now()), 1.0);
}

void TestWidgets::switchKnobGlidesLinearlyOverOneSecond()
{
    WakeSwitch s(m_clock);
    s.resize(332, s.height());
    s.setOn(true);
    s.setProgress(1.0);
    m_clock.advance(1.5);
    QCOMPARE(s.geometry().knobX, 247.0);
    s.setProgress(0.5);
    // Half a second later the knob is half way: sample the knob's colour column.
    m_clock.advance(0.5);
    auto knobLeft = [&] {
        const QImage img = s.grab().toImage();
        const int y = int(s.trackRect().center().y());
        // The light knob is the brightest thing on the track.
        for (int x = int(s.trackRect().left()) + 4; x < int(s.trackRect().right()); ++x) {
            if (QColor::fromRgba(img.pixel(x, y)).lightness() > 150)
                return x - s.trackRect().left();
        }
        return -1.0;
    };
    QVERIFY(std::abs(knobLeft() - (126 + 247) / 2.0) <= 2.0);
    m_clock.advance(0.6);
    QVERIFY(std::abs(knobLeft() - 126) <= 2.0);
}

void TestWidgets::pillHoverSelectionAndPress()
{
    PresetPill pill(QStringLiteral("1 h"), m_clock);
    pill.resize(100, pill.height());
    pill.show();
    QSignalSpy selected(&pill, &PresetPill::selectedChanged);
    QSignalSpy clicked(&pill, &PresetPill::clicked);

    auto centre = [&] { return QColor::fromRgba(pill.grab().toImage().pixel(8 + 12, pill.height() / 2)); };
    const QColor rest = centre();
    QEnterEvent enter(QPointF(50, 20), QPointF(50, 20), QPointF(50, 20));
    QCoreApplication::sendEvent(&pill, &enter);
    QVERIFY(pill.isHovering());
    const QColor hovered = centre();
    QVERIFY(hovered.lightness() > rest.lightness()); // the faint white wash
    pill.setSelected(true);
    pill.setSelected(true);
    QCOMPARE(selected.count(), 1);
    m_clock.advance(1.0);
    const QColor lit = centre();
    QVERIFY(lit.red() > lit.blue() + 20); // amber gradient, not the hover wash
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&pill, &leave);
    QCOMPARE(centre(), lit); // hover changes nothing while selected

    QTest::mouseClick(&pill, Qt::LeftButton, {}, pill.capsuleRect().center().toPoint());
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(&pill, Qt::LeftButton, {}, (pill.capsuleRect().topLeft() + QPointF(1, 1)).toPoint());
    QCOMPARE(clicked.count(), 1);
    QTest::mousePress(&pill, Qt::LeftButton, {}, pill.capsuleRect().center().toPoint());
    m_clock.advance(1.0);
    QVERIFY(std::abs(pill.pressStyle().scale(m_clock.now()) - 0.94) < 1e-9);
    QTest::mouseRelease(&pill, Qt::LeftButton, {}, pill.capsuleRect().center().toPoint());
}

void TestWidgets::progressBarFillWidths()
{
    QCOMPARE(ProgressBar::fillWidth(0.0, 268), 3.0);
    QCOMPARE(ProgressBar::fillWidth(0.5, 268), 134.0);
    QCOMPARE(ProgressBar::fillWidth(1.0, 268), 268.0);
    QCOMPARE(ProgressBar::fillWidth(std::nan(""), 268), 3.0);
    QCOMPARE(ProgressBar::fillWidth(0.5, 0), 3.0);
    QCOMPARE(ProgressBar::fillWidth(-1.0, 268), 3.0);
}

void TestWidgets::progressBarGlidesBetweenUpdates()
{
    ProgressBar bar(m_clock);
    bar.resize(268 + 8, bar.height());
    QSignalSpy changed(&bar, &ProgressBar::valueChanged);
    bar.setValue(1.0);
    m_clock.advance(1.0);
    QCOMPARE(bar.displayedFillWidth(), 268.0);
    bar.setValue(0.5);
    bar.setValue(0.5);
    QCOMPARE(changed.count(), 2);
    m_clock.advance(0.25);
    QVERIFY(std::abs(bar.displayedFillWidth() - (268 - 134 * 0.25)) < 1e-6);
    m_clock.advance(0.75);
    QCOMPARE(bar.displayedFillWidth(), 134.0);
    bar.setValue(std::nan(""));
    QCOMPARE(bar.displayedFillWidth(), 3.0);
    bar.setValue(0.25);
    QCOMPARE(bar.displayedFillWidth(), 67.0); // nothing to glide from
    // The stub glows even at 0.
    bar.setValue(0.0);
    m_clock.advance(1.1);
    const QImage img = bar.grab().toImage();
    QVERIFY(qAlpha(img.pixel(4 + 1, bar.height() / 2)) > 200);
    QVERIFY(qAlpha(img.pixel(4 + 1, 1)) > 0);
}

void TestWidgets::accessibilityNamesValuesAndStates()
{
    QWidget window;
    auto *s = new WakeSwitch(m_clock, &window);
    auto *pill = new PresetPill(QStringLiteral("15 min"), m_clock, &window);
    auto *dot = new PulseDot(m_clock, &window);
    window.show();

    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(s);
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::Button);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Keep awake"));
    QCOMPARE(a->text(QAccessible::Value), QStringLiteral("Off"));
    QVERIFY(a->state().checkable);
    QVERIFY(!a->state().checked);
    s->setOn(true);
    QCOMPARE(a->text(QAccessible::Value), QStringLiteral("On"));
    QVERIFY(a->state().checked);
    QSignalSpy clicked(s, &WakeSwitch::clicked);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.count(), 1);

    QAccessibleInterface *p = QAccessible::queryAccessibleInterface(pill);
    QCOMPARE(p->role(), QAccessible::Button);
    QCOMPARE(p->text(QAccessible::Name), QStringLiteral("15 min"));
    QVERIFY(!p->state().selected);
    pill->setSelected(true);
    QVERIFY(p->state().selected);

    QVERIFY(QAccessible::queryAccessibleInterface(dot)->state().invisible);
}

void TestWidgets::iconsAreCrispAndTinted()
{
    for (const QString &name : Icons::names()) {
        QVERIFY2(Icons::exists(name), qPrintable(name));
        for (qreal dpr : {1.0, 2.0}) {
            const QImage img = Icons::image(name, 18, CorvaneStyles::amber(), dpr);
            QCOMPARE(img.size(), QSize(int(18 * dpr), int(18 * dpr)));
            QCOMPARE(img.devicePixelRatio(), dpr);
            int opaque = 0;
            int tinted = 0; // fully covered pixels off the tint
            for (int y = 0; y < img.height(); ++y) {
                for (int x = 0; x < img.width(); ++x) {
                    const QColor c = QColor::fromRgba(img.pixel(x, y));
                    opaque += c.alpha() >= 200;
                    if (c.alpha() == 255)
                        tinted += !(std::abs(c.redF() - 0.961) < 0.01 &&
                                    std::abs(c.blueF() - 0.043) < 0.01);
                }
            }
            // Crisp: a good share of (nearly) fully covered pixels, all in the tint.
            QVERIFY2(opaque > img.width() / 2, qPrintable(name));
            QCOMPARE(tinted, 0);
        }
    }
    QVERIFY(!Icons::exists(QStringLiteral("nonexistent")));
    QVERIFY(Icons::image(QStringLiteral("nonexistent"), 18, Qt::white).isNull());
    QVERIFY(!Icons::icon(QStringLiteral("eye"), Qt::white).pixmap(16, 16).isNull());
}

QTEST_MAIN(TestWidgets)
#include "tst_Widgets.moc"
