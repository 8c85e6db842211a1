#include "ui/BreathingGlow.h"

#include "ui/CorvaneStyles.h"
#include "ui/SoftShadow.h"

#include <QPainter>
#include <cmath>
#include <numbers>

BreathingGlow::Shadow BreathingGlow::at(bool active, double t, double radius)
{
    if (!active)
        return {0.0, 0.6 * radius};
    const double s = (std::sin(2.0 * std::numbers::pi * t / period) + 1.0) / 2.0;
    return {0.22 + 0.38 * s, radius * (0.6 + 0.4 * s)};
}

BreathingGlow::BreathingGlow(QWidget *host, AnimationClock *clock, double radius)
    : m_timeline(new AnimationTimeline(host, clock)), m_radius(radius)
{
}

void BreathingGlow::paint(QPainter &painter, const QPainterPath &shape, double strength) const
{
    if (strength <= 0.0)
        return;
    const Shadow s = at(isActive(), m_timeline->clock()->now(), m_radius);
    if (s.opacity <= 0.0)
        return;
    SoftShadow::paint(painter, shape, CorvaneStyles::withOpacity(m_color, s.opacity * strength),
                      s.radius);
}
