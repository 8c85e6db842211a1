// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Clock.h"

#include <optional>
#include <vector>

// Time that moves only when the test says so. Advancing runs every call, tick and frame that
// comes due on the way, in the order of their due times, at their due times; the wall clock
// moves with the boot clock unless the test sets it apart.
class ManualClock : public Clock {
public:
    ManualClock();

    std::chrono::nanoseconds sinceBoot() const override { return m_boot; }
    QDateTime wallNow() const override;
    Handle frames(double minInterval, std::function<void()> onFrame) override;

    void advance(std::chrono::duration<double> by);
    // Moves time without running anything, as while the machine sleeps: what came due in
    // between runs once at the next advance.
    void sleep(std::chrono::duration<double> by);
    // Sets the wall clock alone, as the user or NTP does.
    void setWallNow(const QDateTime &wall);
    // Runs the earliest pending call or tick, moving time to it; false when nothing is pending.
    bool runNext();
    // Advances in frame-sized steps until no frames are wanted; false if they never stop.
    bool settle(std::chrono::duration<double> atMost = std::chrono::seconds(10));

    // Time until the earliest pending call or tick.
    std::optional<std::chrono::milliseconds> untilNext() const;
    int pendingCalls() const { return count(Kind::call); }
    int tickers() const { return count(Kind::ticker); }
    int tickersStarted() const { return m_tickersStarted; }
    int frameSubscriptions() const { return count(Kind::frames); }
    quint64 deliveredFrames() const { return m_deliveredFrames; }

protected:
    Handle startTimer(std::chrono::milliseconds interval, bool repeat, Qt::TimerType precision,
                      std::function<void()> call) override;

private:
    enum class Kind { call, ticker, frames };
    struct Entry {
        Kind kind;
        std::chrono::nanoseconds interval;
        std::chrono::nanoseconds due;
        quint64 order;
        std::function<void()> run;
        bool done = false;
    };

    Handle add(Kind kind, std::chrono::nanoseconds interval, std::function<void()> run);
    std::shared_ptr<Entry> earliest(std::optional<Kind> except = std::nullopt) const;
    void fire(const std::shared_ptr<Entry> &entry);
    int count(Kind kind) const;

    std::chrono::nanoseconds m_boot{std::chrono::hours(1)};
    QDateTime m_wallAtZero;
    quint64 m_order = 0;
    int m_tickersStarted = 0;
    quint64 m_deliveredFrames = 0;
    // The handles own the entries: a dropped handle is a cancelled call.
    std::vector<std::weak_ptr<Entry>> m_entries;
};
