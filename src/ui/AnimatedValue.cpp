// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AnimatedValue.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The spring counts as at rest once it is within this fraction of the distance it set out
// to cover (and at least this close in absolute terms): far below a pixel for any length
// the interface animates.
constexpr double restFraction = 1e-3;
constexpr double restAbsolute = 1e-4;

} // namespace

AnimatedValue::AnimatedValue(double initial) : m_from(initial), m_to(initial)
{}

void AnimatedValue::jumpTo(double value)
{
    m_from = m_to = value;
    m_v0 = 0.0;
    m_settle = 0.0;
    m_curve = LinearCurve{0.0};
}

void AnimatedValue::animateTo(double target, const AnimationCurve &curve, double now)
{
    const double current = value(now);
    const double speed = velocity(now);
    m_from = current;
    m_to = target;
    m_start = now;
    m_curve = curve;
    m_v0 = 0.0;
    if (const auto *lin = std::get_if<LinearCurve>(&curve)) {
        m_settle = std::max(0.0, lin->duration);
        return;
    }
    m_v0 = speed;
    const auto &s = std::get<SpringCurve>(curve);
    const double omega = 2.0 * std::numbers::pi / s.response;
    const double zeta = s.dampingFraction;
    const double x0 = current - target;
    const double threshold = std::max(restAbsolute, restFraction * std::abs(x0));
    if (zeta > 0.0 && zeta < 1.0) {
        // |x| and |v| / omega are bounded by the envelope e^(-zeta omega t) * |(a, b)|, so
        // the moment the envelope falls under the threshold the spring is at rest for good.
        const double wd = omega * std::sqrt(1.0 - zeta * zeta);
        const double b = (speed + zeta * omega * x0) / wd;
        const double amplitude = std::hypot(x0, b);
        m_settle = amplitude <= threshold ? 0.0 : std::log(amplitude / threshold) / (zeta * omega);
        return;
    }
    // Critically or over-damped: no oscillation, step until both are small.
    double t = 0.0;
    double x = 0.0;
    double v = 0.0;
    for (; t < 10.0; t += 1.0 / 240.0) {
        springState(t, x, v);
        if (std::abs(x) < threshold && std::abs(v) < threshold * omega)
            break;
    }
    m_settle = t;
}

void AnimatedValue::springState(double elapsed, double &x, double &v) const
{
    const auto &s = std::get<SpringCurve>(m_curve);
    const double omega = 2.0 * std::numbers::pi / s.response;
    const double zeta = s.dampingFraction;
    const double x0 = m_from - m_to;
    const double v0 = m_v0;
    const double t = elapsed;
    if (zeta < 1.0) {
        const double wd = omega * std::sqrt(1.0 - zeta * zeta);
        const double a = x0;
        const double b = (v0 + zeta * omega * x0) / wd;
        const double e = std::exp(-zeta * omega * t);
        const double c = std::cos(wd * t);
        const double sn = std::sin(wd * t);
        x = e * (a * c + b * sn);
        v = e * ((b * wd - zeta * omega * a) * c - (a * wd + zeta * omega * b) * sn);
    } else if (zeta == 1.0) {
        const double b = v0 + omega * x0;
        const double e = std::exp(-omega * t);
        x = (x0 + b * t) * e;
        v = (b - omega * (x0 + b * t)) * e;
    } else {
        const double root = omega * std::sqrt(zeta * zeta - 1.0);
        const double r1 = -zeta * omega + root;
        const double r2 = -zeta * omega - root;
        const double c2 = (r1 * x0 - v0) / (r1 - r2);
        const double c1 = x0 - c2;
        x = c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t);
        v = c1 * r1 * std::exp(r1 * t) + c2 * r2 * std::exp(r2 * t);
    }
}

double AnimatedValue::value(double now) const
{
    const double elapsed = now - m_start;
    if (elapsed >= m_settle)
        return m_to;
    if (elapsed <= 0.0)
        return m_from;
    if (std::holds_alternative<LinearCurve>(m_curve))
        return m_from + (m_to - m_from) * (elapsed / m_settle);
    double x = 0.0;
    double v = 0.0;
    springState(elapsed, x, v);
    return m_to + x;
}

double AnimatedValue::velocity(double now) const
{
    const double elapsed = now - m_start;
    if (elapsed >= m_settle || elapsed < 0.0)
        return 0.0;
    if (std::holds_alternative<LinearCurve>(m_curve))
        return (m_to - m_from) / m_settle;
    double x = 0.0;
    double v = 0.0;
    springState(elapsed, x, v);
    return v;
}

bool AnimatedValue::isAnimating(double now) const
{
    return now - m_start < m_settle;
}
