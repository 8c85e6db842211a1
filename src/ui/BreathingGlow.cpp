// SPDX-License-Identifier: GPL-3.0-or-later
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

BreathingGlow::BreathingGlow(QWidget *host, Clock &clock, double radius)
    : m_timeline(
        new AnimationTimeline(host, clock, AnimationTimeline::ambientInterval, [this, host] { onFrame(host); })),
      m_radius(radius)
{}

void BreathingGlow::onFrame(QWidget *host)
{
    // A breath takes seconds, so most frames would change the glow by less than anyone can
    // see; those are skipped, which spares repainting the whole control under it.
    const Shadow now = at(isActive(), m_timeline->clock()->frameTime(), m_radius);
    if (std::abs(now.opacity - m_painted.opacity) < 0.02 && std::abs(now.radius - m_painted.radius) < 0.5)
        return;
    host->update();
}

void BreathingGlow::paint(QPainter &painter, const QPainterPath &shape, double strength) const
{
    if (strength <= 0.0)
        return;
    const Shadow s = at(isActive(), m_timeline->clock()->frameTime(), m_radius);
    m_painted = s;
    if (s.opacity <= 0.0)
        return;
    // Whole points of radius: the breath then needs a handful of blurred images, not one
    // for every frame of it, and a soft glow shows no steps.
    SoftShadow::paint(painter, shape, CorvaneStyles::withOpacity(m_color, s.opacity * strength), std::round(s.radius));
}
