// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/StatusChip.h"

#include "wake/Clock.h"
#include "ui/AnimationTimeline.h"
#include "ui/CorvaneStyles.h"
#include "ui/TabularText.h"

#include <QAccessible>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {
constexpr double chipHeight = 24.0;
constexpr double padding = 10.0;
const QString infinity = QStringLiteral("\u221E");
QString indefiniteText()
{
    return StatusChip::tr("Indefinite Wake");
}
QString idleText()
{
    return StatusChip::tr("Sleep allowed");
}

} // namespace

StatusChip::StatusChip(Clock &clock, QWidget *parent)
    : QWidget(parent),
      m_animationClock(clock),
      m_timeline(new AnimationTimeline(this, clock, AnimationTimeline::minimumInterval, [this] { onFrame(); })),
      m_fillFrom(fillFor(Kind::Idle, QColor())),
      m_fillTo(m_fillFrom)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(idleText());
}

QColor StatusChip::fillFor(Kind kind, const QColor &accent)
{
    return kind == Kind::Idle ? CorvaneStyles::withOpacity(Qt::white, 0.05) : CorvaneStyles::withOpacity(accent, 0.14);
}

QColor StatusChip::fillNow() const
{
    return CorvaneStyles::mix(m_fillFrom, m_fillTo,
                              std::clamp(m_fillMix.value(m_animationClock.frameTime()), 0.0, 1.0));
}

double StatusChip::digitProgress() const
{
    const double t = std::clamp(m_digits.value(m_animationClock.frameTime()), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t); // eased in and out
}

void StatusChip::setState(Kind kind, const QString &clock, const QColor &accent)
{
    if (kind == m_kind && clock == m_clock && accent == m_accent)
        return;
    const bool resize = kind != m_kind || clock.size() != m_clock.size();
    // Changes on screen move; changes while hidden are simply taken.
    const bool animate = isVisible();
    const double now = m_animationClock.frameTime();
    const QColor fill = fillFor(kind, accent);
    if (fill != m_fillTo) {
        m_fillFrom = animate ? fillNow() : fill;
        m_fillTo = fill;
        m_fillMix.jumpTo(0.0);
        m_fillMix.animateTo(1.0, CorvaneStyles::spring(), now);
    }
    // The countdown's changed digits roll: the old ones leave downwards, the new ones come
    // from above, as a count going down does.
    if (animate && kind == Kind::Timed && m_kind == Kind::Timed && !resize) {
        m_previousClock = m_clock;
        m_digits.jumpTo(0.0);
        m_digits.animateTo(1.0, LinearCurve{digitDuration}, now);
    } else {
        m_digits.jumpTo(1.0);
    }
    m_kind = kind;
    m_clock = clock;
    m_accent = accent;
    setAccessibleName(text());
    if (resize)
        updateGeometry();
    m_timeline->setActive(m_fillMix.isAnimating(now) || m_digits.isAnimating(now));
    update();
}

void StatusChip::onFrame()
{
    update();
    const double now = m_animationClock.frameTime();
    if (!m_fillMix.isAnimating(now) && !m_digits.isAnimating(now))
        m_timeline->setActive(false);
}

QString StatusChip::text() const
{
    switch (m_kind) {
    case Kind::Timed: return m_clock;
    case Kind::Indefinite: return infinity + QLatin1Char(' ') + indefiniteText();
    case Kind::Idle: break;
    }
    return idleText();
}

QSize StatusChip::sizeHint() const
{
    double content = 0;
    switch (m_kind) {
    case Kind::Timed: content = TabularText::width(m_clock, CorvaneStyles::systemFont(13, QFont::Medium)); break;
    case Kind::Indefinite:
        content = QFontMetricsF(CorvaneStyles::systemFont(13, QFont::Medium)).horizontalAdvance(infinity) + 4
            + QFontMetricsF(CorvaneStyles::systemFont(11, QFont::Medium)).horizontalAdvance(indefiniteText());
        break;
    case Kind::Idle:
        content = QFontMetricsF(CorvaneStyles::systemFont(11, QFont::Medium)).horizontalAdvance(idleText());
        break;
    }
    return QSize(int(std::ceil(content + 2 * padding)), int(chipHeight));
}

void StatusChip::paintCapsule(QPainter &p, const QRectF &r, const QColor &fill)
{
    QPainterPath capsule;
    capsule.addRoundedRect(r, chipHeight / 2, chipHeight / 2);
    p.fillPath(capsule, fill);
    // The rim is stroked inside the border: inset by half the line width.
    const double line = 0.75;
    QPainterPath rim;
    const QRectF inner = r.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    rim.addRoundedRect(inner, inner.height() / 2, inner.height() / 2);
    p.strokePath(rim, QPen(QBrush(CorvaneStyles::rimGradient(r)), line));
}

void StatusChip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, (height() - chipHeight) / 2, width(), chipHeight);
    // The countdown changes every second; the capsule under it only with its size and colour.
    const QColor fill = fillNow();
    const qreal dpr = devicePixelRatioF();
    if (m_capsule.size() != size() * dpr || m_capsule.devicePixelRatio() != dpr || m_capsuleFill != fill) {
        m_capsule = QPixmap(size() * dpr);
        m_capsule.setDevicePixelRatio(dpr);
        m_capsule.fill(Qt::transparent);
        QPainter cp(&m_capsule);
        cp.setRenderHint(QPainter::Antialiasing);
        paintCapsule(cp, r, fill);
        m_capsuleFill = fill;
    }
    p.drawPixmap(0, 0, m_capsule);

    const double baselineFor13 =
        r.center().y() + QFontMetricsF(CorvaneStyles::systemFont(13, QFont::Medium)).capHeight() / 2;
    switch (m_kind) {
    case Kind::Timed: {
        p.setPen(Qt::white);
        const QFont font = CorvaneStyles::systemFont(13, QFont::Medium);
        const double x = r.center().x() - TabularText::width(m_clock, font) / 2;
        const double e = digitProgress();
        if (e >= 1.0 || m_previousClock.size() != m_clock.size()) {
            TabularText::draw(p, QPointF(x, baselineFor13), m_clock, font);
            break;
        }
        // Digit by digit: those that stay are drawn once, those that change roll.
        const double travel = chipHeight * 0.4;
        p.save();
        p.setClipRect(r);
        for (qsizetype i = 0; i < m_clock.size(); ++i) {
            const QPointF at(x + TabularText::width(m_clock.left(i), font), baselineFor13);
            const QString now = m_clock.mid(i, 1);
            const QString before = m_previousClock.mid(i, 1);
            if (now == before) {
                TabularText::draw(p, at, now, font);
                continue;
            }
            p.setOpacity(1.0 - e);
            TabularText::draw(p, at + QPointF(0, e * travel), before, font);
            p.setOpacity(e);
            TabularText::draw(p, at - QPointF(0, (1.0 - e) * travel), now, font);
            p.setOpacity(1.0);
        }
        p.restore();
        break;
    }
    case Kind::Indefinite: {
        p.setPen(m_accent);
        const QFont big = CorvaneStyles::systemFont(13, QFont::Medium);
        const QFont small = CorvaneStyles::systemFont(11, QFont::Medium);
        const double w1 = QFontMetricsF(big).horizontalAdvance(infinity);
        const double w2 = QFontMetricsF(small).horizontalAdvance(indefiniteText());
        double x = r.center().x() - (w1 + 4 + w2) / 2;
        p.setFont(big);
        p.drawText(QPointF(x, baselineFor13), infinity);
        x += w1 + 4;
        p.setFont(small);
        p.drawText(QPointF(x, r.center().y() + QFontMetricsF(small).capHeight() / 2), indefiniteText());
        break;
    }
    case Kind::Idle: {
        p.setPen(CorvaneStyles::withOpacity(Qt::white, 0.55));
        p.setFont(CorvaneStyles::systemFont(11, QFont::Medium));
        p.drawText(r, Qt::AlignCenter, idleText());
        break;
    }
    }
}
