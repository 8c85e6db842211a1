// SPDX-License-Identifier: GPL-3.0-or-later
#include "ManualClock.h"

#include <algorithm>

using namespace std::chrono;

ManualClock::ManualClock()
    : m_wallAtZero(QDateTime(QDate(2026, 12, 6), QTime(14, 0)).addMSecs(-duration_cast<milliseconds>(m_boot).count()))
{}

QDateTime ManualClock::wallNow() const
{
    return m_wallAtZero.addMSecs(duration_cast<milliseconds>(m_boot).count());
}

void ManualClock::setWallNow(const QDateTime &wall)
{
    m_wallAtZero = wall.addMSecs(-duration_cast<milliseconds>(m_boot).count());
}

Clock::Handle ManualClock::startTimer(milliseconds interval, bool repeat, Qt::TimerType, std::function<void()> call)
{
    if (repeat)
        ++m_tickersStarted;
    return add(repeat ? Kind::ticker : Kind::call, interval, std::move(call));
}

Clock::Handle ManualClock::frames(double minInterval, std::function<void()> onFrame)
{
    return add(Kind::frames, round<nanoseconds>(duration<double>(minInterval)), std::move(onFrame));
}

Clock::Handle ManualClock::add(Kind kind, nanoseconds interval, std::function<void()> run)
{
    auto entry = std::make_shared<Entry>(Entry{kind, interval, m_boot + interval, m_order++, std::move(run)});
    m_entries.push_back(entry);
    return entry;
}

std::shared_ptr<ManualClock::Entry> ManualClock::earliest(std::optional<Kind> except) const
{
    std::shared_ptr<Entry> next;
    for (const auto &weak : m_entries) {
        auto entry = weak.lock();
        if (!entry || entry->done || entry->kind == except)
            continue;
        if (!next || entry->due < next->due || (entry->due == next->due && entry->order < next->order))
            next = entry;
    }
    return next;
}

void ManualClock::fire(const std::shared_ptr<Entry> &entry)
{
    if (entry->kind == Kind::call) {
        entry->done = true;
    } else {
        // Like a QTimer after a stall: one overdue shot, then on the beat again from now.
        entry->due = std::max(entry->due + entry->interval, m_boot + std::max(entry->interval, nanoseconds(1)));
        entry->order = m_order++;
    }
    if (entry->kind == Kind::frames)
        ++m_deliveredFrames;
    const auto run = entry->run; // the call may drop its own handle
    run();
}

void ManualClock::advance(duration<double> by)
{
    const nanoseconds end = m_boot + round<nanoseconds>(by);
    for (;;) {
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                       [](const auto &weak) {
                                           auto entry = weak.lock();
                                           return !entry || entry->done;
                                       }),
                        m_entries.end());
        const auto next = earliest();
        if (!next || next->due > end)
            break;
        m_boot = std::max(m_boot, next->due);
        fire(next);
    }
    m_boot = std::max(m_boot, end);
}

void ManualClock::sleep(duration<double> by)
{
    m_boot += round<nanoseconds>(by);
}

bool ManualClock::runNext()
{
    const auto next = earliest(Kind::frames);
    if (!next)
        return false;
    advance(std::max(nanoseconds(0), next->due - m_boot));
    return true;
}

bool ManualClock::settle(duration<double> atMost)
{
    const nanoseconds end = m_boot + round<nanoseconds>(atMost);
    while (frameSubscriptions() > 0 && m_boot < end)
        advance(duration<double>(1.0 / 120));
    return frameSubscriptions() == 0;
}

std::optional<milliseconds> ManualClock::untilNext() const
{
    const auto next = earliest(Kind::frames);
    if (!next)
        return std::nullopt;
    return duration_cast<milliseconds>(std::max(nanoseconds(0), next->due - m_boot));
}

int ManualClock::count(Kind kind) const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(), [kind](const auto &weak) {
        auto entry = weak.lock();
        return entry && !entry->done && entry->kind == kind;
    }));
}
