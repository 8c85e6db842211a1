#pragma once

#include "platform/ContinuousClock.h"

// CLOCK_BOOTTIME: unlike CLOCK_MONOTONIC (and so QElapsedTimer) it counts through suspend.
class BootTimeClock : public ContinuousClock {
public:
    static const BootTimeClock &instance();

    std::chrono::nanoseconds now() const override;
    QDateTime wallNow() const override;
};
