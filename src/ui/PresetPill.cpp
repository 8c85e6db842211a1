// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PresetPill.h"

#include "ui/BrushedMetal.h"
#include "ui/CorvaneStyles.h"
#include "ui/TabularText.h"
#include "ui/ViewAccessibility.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QDataStream>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double rimWidth = 0.75;

QFont pillFont(const QFont &base)
{
    QFont f = base;
    f.setPixelSize(12);
    f.setWeight(QFont::Medium);
    return f;
}

QPainterPath capsulePath(const QRectF &r)
{
    QPainterPath p;
    const double radius = std::min(r.width(), r.height()) / 2.0;
    p.addRoundedRect(r, radius, radius);
    return p;
}

} // namespace

PresetPill::PresetPill(const QString &title, Clock &clock, QWidget *parent)
    : PressableButton(pressedScale, clock, parent),
      m_title(title),
      m_accent(CorvaneStyles::amber()),
      m_glow(this, clock, glowRadius)
{
    ViewAccessibility::install();
    m_glow.setColor(m_accent);
    const int m = int(std::ceil(glowRadius));
    setContentsMargins(m, m, m, m);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(int(pillHeight) + 2 * m);
}

QRectF PresetPill::capsuleRect() const
{
    const QRectF c = QRectF(contentsRect());
    return QRectF(c.left(), c.center().y() - pillHeight / 2.0, c.width(), pillHeight);
}

QPainterPath PresetPill::capsule() const
{
    return capsulePath(capsuleRect());
}

QPainterPath PresetPill::hitShape() const
{
    return capsule();
}

QSize PresetPill::sizeHint() const
{
    const QMargins m = contentsMargins();
    const double text = TabularText::width(m_title, pillFont(font()));
    return QSize(int(std::ceil(text + 24.0)) + m.left() + m.right(), int(pillHeight) + m.top() + m.bottom());
}

QSize PresetPill::minimumSizeHint() const
{
    const QMargins m = contentsMargins();
    return QSize(10 + m.left() + m.right(), int(pillHeight) + m.top() + m.bottom());
}

void PresetPill::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    updateGeometry();
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent e(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&e);
    }
    Q_EMIT titleChanged(title);
}

void PresetPill::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    m_selectedAmount.animateTo(selected ? 1.0 : 0.0, CorvaneStyles::spring(), clock()->frameTime());
    m_glow.setActive(selected);
    animationStarted();
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent e(this, changed);
        QAccessible::updateAccessibility(&e);
    }
    Q_EMIT selectedChanged(selected);
}

void PresetPill::setAccent(const QColor &accent)
{
    if (accent == m_accent)
        return;
    m_accent = accent;
    m_glow.setColor(accent);
    update();
    Q_EMIT accentChanged(accent);
}

void PresetPill::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    update(); // no animation of its own
}

bool PresetPill::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::HoverEnter:
    case QEvent::Enter: setHovering(true); break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
    case QEvent::Hide: setHovering(false); break;
    default: break;
    }
    return PressableButton::event(e);
}

void PresetPill::sampleAnimation(double now, std::vector<double> &out) const
{
    PressableButton::sampleAnimation(now, out);
    out.push_back(m_selectedAmount.value(now) * 100.0);
}

bool PresetPill::isAnimating(double now) const
{
    return PressableButton::isAnimating(now) || m_selectedAmount.isAnimating(now);
}

void PresetPill::paintGlow(QPainter &p, double now)
{
    m_glow.paint(p, capsule(), std::clamp(m_selectedAmount.value(now), 0.0, 1.0));
}

QByteArray PresetPill::bodyKey(double now) const
{
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << size() << devicePixelRatioF() << m_title << m_accent.rgba() << m_selectedAmount.value(now) << m_hovering
        << font();
    return key;
}

void PresetPill::paintBody(QPainter &p, double now)
{
    const QRectF r = capsuleRect();
    const QPainterPath shape = capsule();
    const double sel = std::clamp(m_selectedAmount.value(now), 0.0, 1.0);

    p.save();
    p.setClipPath(shape);
    BrushedMetal::paint(p, r, BrushedMetal::Tone::Dark);
    if (sel > 0.0) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0.0, CorvaneStyles::withOpacity(m_accent, 0.55 * sel));
        g.setColorAt(1.0, CorvaneStyles::withOpacity(m_accent, 0.18 * sel));
        p.fillRect(r, g);
    }
    if (m_hovering && sel < 1.0)
        p.fillRect(r, QColor::fromRgbF(1, 1, 1, float(0.05 * (1.0 - sel))));
    p.restore();

    const double h = rimWidth / 2.0;
    const QPainterPath rim = capsulePath(r.adjusted(h, h, -h, -h));
    p.setBrush(Qt::NoBrush);
    if (sel > 0.0) {
        p.setPen(QPen(CorvaneStyles::withOpacity(m_accent, 0.75 * sel), rimWidth));
        p.drawPath(rim);
    }
    p.setPen(QPen(QBrush(CorvaneStyles::rimGradient(r)), rimWidth));
    p.drawPath(rim);

    const QFont f = pillFont(font());
    const QFontMetricsF fm(f);
    const QString text = TabularText::elided(m_title, f, r.width() - 8.0);
    const double w = TabularText::width(text, f);
    const double rest = m_hovering ? 0.92 : 0.72;
    p.setPen(CorvaneStyles::withOpacity(Qt::white, rest + (1.0 - rest) * sel));
    TabularText::draw(p, QPointF(r.center().x() - w / 2.0, r.center().y() + (fm.ascent() - fm.descent()) / 2.0), text,
                      f);
}
