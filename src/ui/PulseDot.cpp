#include "ui/PulseDot.h"

#include "ui/CorvaneStyles.h"
#include "ui/SoftShadow.h"
#include "ui/ViewAccessibility.h"

#include <QPainter>
#include <cmath>

PulseDot::Ring PulseDot::ringAt(double t)
{
    double phase = std::fmod(t, period);
    if (phase < 0.0)
        phase += period;
    const double p = phase / period;
    return {1.0 + 1.4 * p, (1.0 - p) * 0.7};
}

PulseDot::PulseDot(QWidget *parent, AnimationClock *clock)
    : QWidget(parent),
      m_clock(clock ? clock : AnimationClock::shared()),
      m_timeline(new AnimationTimeline(this, m_clock)),
      m_color(CorvaneStyles::amber())
{
    ViewAccessibility::install();
    setFixedSize(int(frameSize), int(frameSize));
}

QSize PulseDot::sizeHint() const { return QSize(int(frameSize), int(frameSize)); }

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
    update();
    Q_EMIT colorChanged(color);
}

void PulseDot::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect()).center();
    const double r = dotSize / 2.0;
    if (m_active) {
        const Ring ring = ringAt(m_clock->now());
        // The ring is scaled as a whole, line width included.
        p.setPen(QPen(CorvaneStyles::withOpacity(m_color, ring.opacity), 1.0 * ring.scale));
        p.setBrush(Qt::NoBrush);
        const double rr = (r - 0.5) * ring.scale;
        p.drawEllipse(c, rr, rr);
    }
    QPainterPath dot;
    dot.addEllipse(c, r, r);
    if (m_active)
        SoftShadow::paint(p, dot, CorvaneStyles::withOpacity(m_color, 0.9), 4.0);
    p.fillPath(dot, m_active ? m_color : CorvaneStyles::slate());
}
