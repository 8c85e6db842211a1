// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Clock.h"

class FramePump;

// Real time: CLOCK_BOOTTIME, the wall clock, QTimers, and frames from one precise timer
// shared by every animation, which ticks at the fastest rate any of them asks for and stops
// when none is left. It must outlive everything that holds one of its handles.
class SystemClock : public Clock {
public:
    SystemClock();
    ~SystemClock() override;

    std::chrono::nanoseconds sinceBoot() const override;
    QDateTime wallNow() const override;
    Handle frames(double minInterval, std::function<void()> onFrame) override;

protected:
    Handle startTimer(std::chrono::milliseconds interval, bool repeat, Qt::TimerType precision,
                      std::function<void()> call) override;

private:
    std::unique_ptr<FramePump> m_pump;
};
