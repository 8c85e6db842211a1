// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WakeSwitch.h"

#include "ui/BrushedMetal.h"
#include "ui/CorvaneStyles.h"
#include "ui/Icons.h"
#include "ui/SoftShadow.h"
#include "ui/TabularText.h"
#include "ui/ViewAccessibility.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QDataStream>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double symbolSize = 18.0;
constexpr double lineSpacing = 2.0;
constexpr double rimWidth = 0.75;
constexpr LinearCurve knobGlide{1.0};

QFont titleFont(const QFont &base)
{
    QFont f = base;
    f.setPixelSize(13);
    f.setWeight(QFont::Medium);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    return f;
}

QFont subtitleFont(const QFont &base)
{
    QFont f = base;
    f.setPixelSize(11);
    f.setWeight(QFont::Normal);
    return f;
}

// The subtitle steps down to 9 px before it elides: "Click to keep this computer awake" and
// its translations are wider than the room beside the knob at 11 px.
QFont fittedSubtitleFont(const QFont &base, const QString &text, double width)
{
    QFont f = subtitleFont(base);
    for (int px = 11; px > 9 && TabularText::width(text, f) > width; --px)
        f.setPixelSize(px - 1);
    return f;
}

// A rounded rectangle stroked inside its border: the path runs half a line width inside.
QPainterPath insideStroke(const QRectF &rect, double radius, double width)
{
    QPainterPath p;
    const double h = width / 2.0;
    p.addRoundedRect(rect.adjusted(h, h, -h, -h), std::max(0.0, radius - h), std::max(0.0, radius - h));
    return p;
}

} // namespace

WakeSwitch::WakeSwitch(Clock &clock, QWidget *parent)
    : PressableButton(pressedScale, clock, parent),
      m_accent(CorvaneStyles::amber()),
      m_glow(this, clock, glowRadius)
{
    ViewAccessibility::install();
    m_glow.setColor(m_accent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    updateMargins();
}

void WakeSwitch::updateMargins()
{
    const int m = int(std::ceil(glowRadius));
    setContentsMargins(m, m, m, m);
    setFixedHeight(int(std::ceil(m_height)) + 2 * m);
    updateGeometry();
}

QSize WakeSwitch::sizeHint() const
{
    const QMargins m = contentsMargins();
    return QSize(268 + m.left() + m.right(), int(std::ceil(m_height)) + m.top() + m.bottom());
}

QSize WakeSwitch::minimumSizeHint() const
{
    const QMargins m = contentsMargins();
    return QSize(int(std::ceil(m_knobSize + 2 * m_inset)) + m.left() + m.right(),
                 int(std::ceil(m_height)) + m.top() + m.bottom());
}

QRectF WakeSwitch::trackRect() const
{
    const QRectF c = QRectF(contentsRect());
    return QRectF(c.left(), c.center().y() - m_height / 2.0, c.width(), m_height);
}

WakeSwitchGeometry WakeSwitch::geometry() const
{
    return WakeSwitchGeometry::compute(trackRect().width(), m_on, m_progress, m_knobSize, m_inset);
}

QPainterPath WakeSwitch::outerShape() const
{
    QPainterPath p;
    p.addRoundedRect(trackRect(), cornerRadius, cornerRadius);
    return p;
}

QPainterPath WakeSwitch::hitShape() const
{
    return outerShape();
}

double WakeSwitch::textX(bool forTitle, const WakeSwitchGeometry &g) const
{
    // Left of the knob the text hugs the leading edge; right of it, the trailing edge.
    const double width = trackRect().width();
    const double block = std::max(0.0, width - g.textLeading - g.textTrailing);
    if (g.textLeft)
        return g.textLeading;
    const double textWidth = forTitle
        ? TabularText::width(m_title, titleFont(font()))
        : TabularText::width(TabularText::elided(m_subtitle, fittedSubtitleFont(font(), m_subtitle, block), block),
                             fittedSubtitleFont(font(), m_subtitle, block));
    return width - g.textTrailing - std::min(textWidth, block);
}

void WakeSwitch::retargetText(const AnimationCurve &curve)
{
    const WakeSwitchGeometry g = geometry();
    const double now = clock()->frameTime();
    const double tx = textX(true, g);
    const double sx = textX(false, g);
    if (tx != m_titleX.target())
        m_titleX.animateTo(tx, curve, now);
    if (sx != m_subtitleX.target())
        m_subtitleX.animateTo(sx, curve, now);
}

void WakeSwitch::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    m_onAmount.animateTo(on ? 1.0 : 0.0, CorvaneStyles::spring(), clock()->frameTime());
    m_glow.setActive(on);
    retargetText(CorvaneStyles::spring());
    animationStarted();
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent stateEvent(this, changed);
        QAccessible::updateAccessibility(&stateEvent);
        QAccessibleValueChangeEvent valueEvent(this, on ? tr("On") : tr("Off"));
        QAccessible::updateAccessibility(&valueEvent);
    }
    Q_EMIT onChanged(on);
}

void WakeSwitch::setProgress(double fill)
{
    // NaN never equals itself; treat a repeated NaN as no change.
    if (fill == m_progress || (std::isnan(fill) && std::isnan(m_progress)))
        return;
    m_progress = fill;
    const WakeSwitchGeometry g = geometry();
    const double now = clock()->frameTime();
    // In a long period the knob moves a fraction of a pixel a second: a glide nobody can
    // see is not worth a second of frames, so such a step is taken at once.
    if (!m_fill.isAnimating(now) && std::abs(g.fraction - m_fill.value(now)) * g.travel < 0.125) {
        m_fill.jumpTo(g.fraction);
        bool moving = false;
        for (auto [value, x] : {std::pair{&m_titleX, textX(true, g)}, std::pair{&m_subtitleX, textX(false, g)}}) {
            if (value->isAnimating(now)) {
                value->animateTo(x, knobGlide, now);
                moving = true;
            } else {
                value->jumpTo(x);
            }
        }
        if (moving)
            animationStarted();
        update();
    } else {
        m_fill.animateTo(g.fraction, knobGlide, now);
        retargetText(knobGlide);
        animationStarted();
    }
    Q_EMIT progressChanged(fill);
}

void WakeSwitch::setAccent(const QColor &accent)
{
    if (accent == m_accent)
        return;
    m_accent = accent;
    m_glow.setColor(accent);
    update();
    Q_EMIT accentChanged(accent);
}

void WakeSwitch::placeText(AnimatedValue &x, double target)
{
    // A text that changes while its block travels keeps travelling to its new place.
    const double now = clock()->frameTime();
    if (x.isAnimating(now))
        x.animateTo(target, CorvaneStyles::spring(), now);
    else
        x.jumpTo(target);
}

void WakeSwitch::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    placeText(m_titleX, textX(true, geometry()));
    update();
    Q_EMIT titleChanged(title);
}

void WakeSwitch::setSubtitle(const QString &subtitle)
{
    if (subtitle == m_subtitle)
        return;
    m_subtitle = subtitle;
    placeText(m_subtitleX, textX(false, geometry()));
    update();
    Q_EMIT subtitleChanged(subtitle);
}

void WakeSwitch::setTrackHeight(double height)
{
    if (height == m_height)
        return;
    m_height = height;
    updateMargins();
    update();
}

void WakeSwitch::setKnobSize(double size)
{
    if (size == m_knobSize)
        return;
    m_knobSize = size;
    m_titleX.jumpTo(textX(true, geometry()));
    m_subtitleX.jumpTo(textX(false, geometry()));
    update();
}

void WakeSwitch::setInset(double inset)
{
    if (inset == m_inset)
        return;
    m_inset = inset;
    m_titleX.jumpTo(textX(true, geometry()));
    m_subtitleX.jumpTo(textX(false, geometry()));
    update();
}

void WakeSwitch::sampleAnimation(double now, std::vector<double> &out) const
{
    PressableButton::sampleAnimation(now, out);
    const double travel = trackRect().width() - m_knobSize - 2 * m_inset;
    out.push_back(m_fill.value(now) * travel);
    out.push_back(m_onAmount.value(now) * 100.0);
    out.push_back(m_titleX.value(now));
    out.push_back(m_subtitleX.value(now));
}

bool WakeSwitch::isAnimating(double now) const
{
    return PressableButton::isAnimating(now) || m_onAmount.isAnimating(now) || m_fill.isAnimating(now)
        || m_titleX.isAnimating(now) || m_subtitleX.isAnimating(now);
}

void WakeSwitch::paintGlow(QPainter &p, double now)
{
    m_glow.paint(p, outerShape(), std::clamp(m_onAmount.value(now), 0.0, 1.0));
}

QByteArray WakeSwitch::bodyKey(double now) const
{
    // The knob of a long period creeps by a fraction of a pixel a second: it is drawn again
    // once it has moved a whole pixel, not every second.
    const double travel = trackRect().width() - m_knobSize - 2 * m_inset;
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << size() << devicePixelRatioF() << m_title << m_subtitle << m_accent.rgba() << m_onAmount.value(now)
        << std::round(std::clamp(m_fill.value(now), 0.0, 1.0) * travel) << m_titleX.value(now) << m_subtitleX.value(now)
        << m_height << m_knobSize << m_inset << font();
    return key;
}

void WakeSwitch::paintBody(QPainter &p, double now)
{
    // Positions and sizes follow the widget's current layout; a resize lands the text at once.
    const QRectF track = trackRect();
    if (!m_titleX.isAnimating(now) && !m_subtitleX.isAnimating(now)) {
        m_titleX.jumpTo(textX(true, geometry()));
        m_subtitleX.jumpTo(textX(false, geometry()));
    }
    const double width = track.width();
    const double onRaw = m_onAmount.value(now);
    const double on = std::clamp(onRaw, 0.0, 1.0);
    const WakeSwitchGeometry g = WakeSwitchGeometry::compute(width, true, m_fill.value(now), m_knobSize, m_inset);
    const double fillWidth = std::max(0.0, onRaw * g.fillWidth);
    const QPainterPath outer = outerShape();
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;

    p.save();
    p.setClipPath(outer);
    BrushedMetal::paint(p, track, BrushedMetal::Tone::Dark);

    if (fillWidth > 0.0) {
        const QRectF fillRect(track.left(), track.top(), fillWidth, track.height());
        QLinearGradient grad(fillRect.topLeft(), fillRect.topRight());
        grad.setColorAt(0.0, CorvaneStyles::withOpacity(m_accent, 0.12));
        grad.setColorAt(1.0, CorvaneStyles::withOpacity(m_accent, 0.5));
        p.fillRect(fillRect, grad);
        QPainterPath line;
        line.addRect(QRectF(fillRect.right() - 1.5, track.top(), 1.5, track.height()));
        SoftShadow::paint(p, line, CorvaneStyles::withOpacity(m_accent, 0.9 * on), 2.0);
    }

    // Text block: title over subtitle, vertically centred as one stack.
    const QFont tf = titleFont(font());
    const WakeSwitchGeometry target = geometry();
    const double block = std::max(0.0, width - target.textLeading - target.textTrailing);
    const QFont sf = fittedSubtitleFont(font(), m_subtitle, block);
    const QFontMetricsF tfm(tf);
    const QFontMetricsF sfm(sf);
    const double stack = tfm.height() + lineSpacing + sfm.height();
    const double top = track.center().y() - stack / 2.0;
    p.setPen(CorvaneStyles::withOpacity(Qt::white, 0.75 + 0.25 * on));
    TabularText::draw(p, QPointF(track.left() + m_titleX.value(now), top + tfm.ascent()),
                      TabularText::elided(m_title, tf, std::max(block, 0.0)), tf);
    p.setPen(CorvaneStyles::withOpacity(Qt::white, 0.6));
    TabularText::draw(p,
                      QPointF(track.left() + m_subtitleX.value(now), top + tfm.height() + lineSpacing + sfm.ascent()),
                      TabularText::elided(m_subtitle, sf, block), sf);

    // Knob.
    const QRectF knob(track.left() + g.knobX, track.center().y() - m_knobSize / 2.0, m_knobSize, m_knobSize);
    QPainterPath knobShape;
    knobShape.addRoundedRect(knob, knobCornerRadius, knobCornerRadius);
    SoftShadow::paint(p, knobShape, QColor::fromRgbF(0, 0, 0, 0.45f), 4.0, QPointF(0, 2));
    p.save();
    p.setClipPath(knobShape, Qt::IntersectClip);
    BrushedMetal::paint(p, knob, BrushedMetal::Tone::Light);
    p.restore();

    const QColor symbolColor = CorvaneStyles::mix(CorvaneStyles::graphite(), m_accent, on);
    const QImage symbol = Icons::image(QStringLiteral("power"), symbolSize, symbolColor, dpr);
    const QPointF symbolAt(knob.center().x() - symbolSize / 2.0, knob.center().y() - symbolSize / 2.0);
    if (on > 0.0) {
        SoftShadow::paintImage(p, QStringLiteral("power@18"), symbol, symbolAt,
                               CorvaneStyles::withOpacity(m_accent, 0.8 * on), 6.0);
    }
    p.drawImage(symbolAt, symbol);
    p.setPen(QPen(QBrush(CorvaneStyles::rimGradient(knob)), rimWidth));
    p.setBrush(Qt::NoBrush);
    p.drawPath(insideStroke(knob, knobCornerRadius, rimWidth));
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(CorvaneStyles::rimGradient(track)), rimWidth));
    p.drawPath(insideStroke(track, cornerRadius, rimWidth));
    if (on > 0.0) {
        p.setPen(QPen(CorvaneStyles::withOpacity(m_accent, 0.6 * on), rimWidth));
        p.drawPath(insideStroke(track, cornerRadius, rimWidth));
    }
}
