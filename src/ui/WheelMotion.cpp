// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WheelMotion.h"

#include <cmath>
#include <numbers>

namespace {
// Below a tenth of a pixel and a few pixels a second nothing visible moves any more.
constexpr double restDistance = 0.1;
constexpr double restSpeed = 4.0;
// A glide is kept only when its length in time looks like a flick, not a crawl or a jump.
constexpr double shortestGlide = 0.12;
constexpr double longestGlide = 1.5;
} // namespace

WheelMotion WheelMotion::spring(double from, double velocity, double to, double response, double dampingFraction)
{
    WheelMotion m;
    m.m_to = to;
    m.m_x0 = from - to;
    m.m_v0 = velocity;
    m.m_omega = 2.0 * std::numbers::pi / (response > 0 ? response : 0.35);
    m.m_zeta = dampingFraction > 0 ? dampingFraction : 1.0;
    if (std::abs(m.m_zeta - 1.0) < 1e-6)
        m.m_kind = Kind::critical;
    else
        m.m_kind = m.m_zeta < 1.0 ? Kind::underdamped : Kind::overdamped;
    return m;
}

WheelMotion WheelMotion::glide(double from, double velocity, double to)
{
    // Constant deceleration, like friction: it takes twice as long as the distance would at
    // the starting speed, and ends at the target with no speed left.
    const double distance = to - from;
    const double duration = velocity != 0 ? 2.0 * distance / velocity : -1.0;
    if (duration < shortestGlide || duration > longestGlide)
        return spring(from, velocity, to, 0.35, 1.0);
    WheelMotion m;
    m.m_kind = Kind::decay;
    m.m_to = to;
    m.m_x0 = from - to;
    m.m_v0 = velocity;
    m.m_tau = duration;
    return m;
}

double WheelMotion::position(double t) const
{
    if (t <= 0)
        return m_to + m_x0;
    const double w = m_omega;
    const double z = m_zeta;
    switch (m_kind) {
    case Kind::decay: {
        const double left = std::max(0.0, 1.0 - t / m_tau);
        return m_to + m_x0 * left * left;
    }
    case Kind::critical: return m_to + (m_x0 + (m_v0 + w * m_x0) * t) * std::exp(-w * t);
    case Kind::underdamped: {
        const double wd = w * std::sqrt(1 - z * z);
        const double b = (m_v0 + z * w * m_x0) / wd;
        return m_to + std::exp(-z * w * t) * (m_x0 * std::cos(wd * t) + b * std::sin(wd * t));
    }
    case Kind::overdamped: {
        const double s = w * std::sqrt(z * z - 1);
        const double r1 = -z * w + s;
        const double r2 = -z * w - s;
        const double c2 = (m_v0 - r1 * m_x0) / (r2 - r1);
        const double c1 = m_x0 - c2;
        return m_to + c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t);
    }
    }
    return m_to;
}

double WheelMotion::velocity(double t) const
{
    // Central difference: exact enough for hand-over to the next motion and for rest checks.
    const double h = 1e-4;
    return (position(t + h) - position(std::max(0.0, t - h))) / (t + h - std::max(0.0, t - h));
}

bool WheelMotion::finished(double t) const
{
    return std::abs(position(t) - m_to) < restDistance && std::abs(velocity(t)) < restSpeed;
}
