// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PulseDot.h"

#include "ui/CorvaneStyles.h"
#include "ui/SoftShadow.h"
#include "ui/ViewAccessibility.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

PulseDot::Ring PulseDot::ringAt(double t)
{
    double phase = std::fmod(t, period);
    if (phase < 0.0)
        phase += period;
    const double p = phase / period;
    return {1.0 + 1.4 * p, (1.0 - p) * 0.7};
}

PulseDot::PulseDot(Clock &clock, QWidget *parent)
    : QWidget(parent),
      m_clock(&clock),
      m_timeline(new AnimationTimeline(this, clock, AnimationTimeline::ambientInterval)),
      m_color(CorvaneStyles::amber())
{
    ViewAccessibility::install();
    setFixedSize(int(frameSize), int(frameSize));
}

QSize PulseDot::sizeHint() const
{
    return QSize(int(frameSize), int(frameSize));
}

void PulseDot::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    m_timeline->setActive(active);
    update();
    Q_EMIT activeChanged(active);
}

void PulseDot::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    m_rings.clear();
    update();
    Q_EMIT colorChanged(color);
}

const QPixmap &PulseDot::ringImage(int step, qreal dpr)
{
    if (m_rings.empty() || m_rings.front().devicePixelRatio() != dpr)
        m_rings.assign(ringSteps + 1, QPixmap());
    QPixmap &ring = m_rings[std::clamp(step, 0, ringSteps)];
    if (ring.isNull()) {
        ring = QPixmap((QSizeF(frameSize, frameSize) * dpr).toSize());
        ring.setDevicePixelRatio(dpr);
        ring.fill(Qt::transparent);
        QPainter p(&ring);
        p.setRenderHint(QPainter::Antialiasing);
        // The ring is scaled as a whole, line width included.
        const double scale = 1.0 + 1.4 * std::clamp(step, 0, ringSteps) / double(ringSteps);
        p.setPen(QPen(m_color, 1.0 * scale));
        p.setBrush(Qt::NoBrush);
        const double rr = (dotSize / 2.0 - 0.5) * scale;
        p.drawEllipse(QPointF(frameSize / 2.0, frameSize / 2.0), rr, rr);
    }
    return ring;
}

void PulseDot::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect()).center();
    const double r = dotSize / 2.0;
    if (m_active) {
        const Ring ring = ringAt(m_clock->frameTime());
        const int step = int(std::lround((ring.scale - 1.0) / 1.4 * ringSteps));
        p.setOpacity(ring.opacity);
        p.drawPixmap(0, 0, ringImage(step, devicePixelRatioF()));
        p.setOpacity(1.0);
    }
    QPainterPath dot;
    dot.addEllipse(c, r, r);
    if (m_active)
        SoftShadow::paint(p, dot, CorvaneStyles::withOpacity(m_color, 0.9), 4.0);
    p.fillPath(dot, m_active ? m_color : CorvaneStyles::slate());
}
