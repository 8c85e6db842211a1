// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimationTimeline.h"

#include <QColor>
#include <QPainterPath>

class QPainter;
class QWidget;

// A coloured glow that breathes with a 3.2 s period while active. The phase comes from the
// clock, so every glow on screen breathes in step; inactive, it shows nothing and its
// timeline holds no timer.
class BreathingGlow {
public:
    static constexpr double period = 3.2;

    struct Shadow {
        double opacity;
        double radius;
    };
    // The shadow at time t (seconds since 2001-01-01 UTC) for a glow of full radius `radius`.
    static Shadow at(bool active, double t, double radius);

    BreathingGlow(QWidget *host, Clock &clock, double radius);
    // Its timeline calls back into this object.
    BreathingGlow(const BreathingGlow &) = delete;
    BreathingGlow &operator=(const BreathingGlow &) = delete;

    void setColor(const QColor &color) { m_color = color; }
    QColor color() const { return m_color; }
    void setActive(bool active) { m_timeline->setActive(active); }
    bool isActive() const { return m_timeline->isActive(); }
    double radius() const { return m_radius; }
    const AnimationTimeline &timeline() const { return *m_timeline; }

    // Draws the glow around `shape` at the clock's current time, faded by `strength` (used
    // while the owner animates the glow in or out).
    void paint(QPainter &painter, const QPainterPath &shape, double strength = 1.0) const;

private:
    void onFrame(QWidget *host);

    AnimationTimeline *m_timeline; // owned by the host
    mutable Shadow m_painted{-1.0, -1.0};
    QColor m_color;
    double m_radius;
};
