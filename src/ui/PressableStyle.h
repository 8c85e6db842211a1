// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"

#include <QRectF>
#include <QTransform>

class QImage;

// Buttons shrink to `pressedScale` about their centre and darken by 0.04 while pressed, both
// moving on the shared spring.
class PressableStyle {
public:
    static constexpr double pressedBrightness = -0.04;

    explicit PressableStyle(double pressedScale);

    double pressedScale() const { return m_pressedScale; }
    bool isPressed() const { return m_pressed; }
    // Returns true if the state changed.
    bool setPressed(bool pressed, double now);

    double scale(double now) const;
    double brightness(double now) const;
    bool isAnimating(double now) const { return m_amount.isAnimating(now); }
    QTransform transform(const QRectF &bounds, double now) const;

    // Adds `delta` to every colour component of a premultiplied image, as a brightness
    // adjustment does: fully transparent pixels stay transparent.
    static void adjustBrightness(QImage &image, double delta);

private:
    double m_pressedScale;
    bool m_pressed = false;
    AnimatedValue m_amount{0.0}; // 0 released, 1 pressed
};
