// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One movement of a wheel's scroll offset towards a resting point, as a pure function of
// the time since it began, so it can be sampled at any frame rate and stepped in tests.
//
// A spring keeps the velocity it starts with and settles on its target; a glide starts with
// its velocity and slows evenly so that it stops exactly on its target.
// Either way the last position reported is the target itself, never a point near it.
class WheelMotion {
public:
    // A damped spring of the given response (seconds per undamped oscillation) and damping
    // fraction (1 = critically damped), with unit mass.
    static WheelMotion spring(double from, double velocity, double to, double response, double dampingFraction);
    // Starts at `velocity` and slows down so that it comes to rest at `to`. When the two do
    // not fit together (velocity zero or pointing away, or a glide that would take very
    // long or be almost instant), a critically damped spring with that velocity stands in.
    static WheelMotion glide(double from, double velocity, double to);

    double target() const { return m_to; }
    double position(double t) const;
    double velocity(double t) const;
    // True once the remaining distance and speed are below what a screen can show.
    bool finished(double t) const;

private:
    enum class Kind { underdamped, critical, overdamped, decay };
    WheelMotion() = default;

    Kind m_kind = Kind::critical;
    double m_to = 0;
    double m_x0 = 0; // starting displacement from the target
    double m_v0 = 0;
    double m_omega = 0; // undamped angular frequency
    double m_zeta = 1;
    double m_tau = 0; // length of a glide, in seconds
};
