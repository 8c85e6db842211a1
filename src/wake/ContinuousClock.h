// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <chrono>

// Time sources for the wake period: one that keeps counting while the machine sleeps, for
// deadlines, and the wall clock, for the end time shown to the user.
class ContinuousClock {
public:
    virtual ~ContinuousClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
    virtual QDateTime wallNow() const = 0;
};
