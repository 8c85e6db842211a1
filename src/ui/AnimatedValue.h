// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <variant>

// A damped spring, solved in closed form rather than stepped, so a value can be read at any
// time without integrating through the frames in between.
struct SpringCurve {
    double response = 0.35; // period of the undamped oscillation, seconds
    double dampingFraction = 0.7; // 1 = critically damped

    // The one spring the whole interface moves with.
    static constexpr SpringCurve shared() { return SpringCurve{0.35, 0.7}; }
};

struct LinearCurve {
    double duration = 1.0; // seconds
};

using AnimationCurve = std::variant<SpringCurve, LinearCurve>;

// One animated number. A new target starts from wherever the value is at that moment and,
// for the spring, with its current velocity, so interrupted animations never jump.
class AnimatedValue {
public:
    explicit AnimatedValue(double initial = 0.0);

    void animateTo(double target, const AnimationCurve &curve, double now);
    void jumpTo(double value);

    double target() const { return m_to; }
    double value(double now) const;
    double velocity(double now) const;
    bool isAnimating(double now) const;

private:
    // Displacement from the target and its rate at `elapsed` seconds into the spring.
    void springState(double elapsed, double &x, double &v) const;

    double m_from;
    double m_to;
    double m_start = 0.0;
    double m_v0 = 0.0; // spring only
    double m_settle = 0.0; // seconds after m_start when the animation is over
    AnimationCurve m_curve = LinearCurve{0.0};
};
