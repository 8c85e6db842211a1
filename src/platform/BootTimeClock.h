// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/ContinuousClock.h"

// CLOCK_BOOTTIME: unlike CLOCK_MONOTONIC (and so QElapsedTimer) it counts through suspend.
class BootTimeClock : public ContinuousClock {
public:
    std::chrono::nanoseconds now() const override;
    QDateTime wallNow() const override;
};
