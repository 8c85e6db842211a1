// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <chrono>
#include <functional>
#include <memory>

// Every time base of the program behind one seam: the clock that keeps counting through
// suspend (for deadlines), the wall clock (for what the user reads), one-shot calls,
// repeating ticks and animation frames. The composition root builds one SystemClock;
// tests hand in a clock they move by hand, so nothing waits for real time to pass.
//
// Calls, ticks and frames run on the main thread and stop when their handle is dropped.
class Clock {
public:
    using Handle = std::shared_ptr<void>;

    virtual ~Clock() = default;

    // CLOCK_BOOTTIME: unlike CLOCK_MONOTONIC (and so QElapsedTimer) it counts through suspend.
    virtual std::chrono::nanoseconds sinceBoot() const = 0;
    virtual QDateTime wallNow() const = 0;

    // The time base of animations, in seconds. Every view reads the same one, so two pulsing
    // views on screen pulse in step however late either appeared.
    double frameTime() const { return std::chrono::duration<double>(sinceBoot()).count(); }

    // Runs `call` once after `delay`; a delay of 0 runs on the next turn of the event loop.
    // Coarse by default: the system may move a wake-up by 5 % to batch it with others.
    [[nodiscard]] Handle callAfter(std::chrono::milliseconds delay, std::function<void()> call,
                                   Qt::TimerType precision = Qt::CoarseTimer)
    {
        return startTimer(delay, false, precision, std::move(call));
    }
    // Runs `onTick` every `interval`, the first time one interval from now.
    [[nodiscard]] Handle every(std::chrono::milliseconds interval, std::function<void()> onTick,
                               Qt::TimerType precision = Qt::CoarseTimer)
    {
        return startTimer(interval, true, precision, std::move(onTick));
    }
    // Calls `onFrame` repeatedly, never sooner than `minInterval` seconds after the previous
    // call. Animations that run at once share wake-ups instead of each waking on its own beat.
    [[nodiscard]] virtual Handle frames(double minInterval, std::function<void()> onFrame) = 0;

protected:
    virtual Handle startTimer(std::chrono::milliseconds interval, bool repeat, Qt::TimerType precision,
                              std::function<void()> call) = 0;
};
