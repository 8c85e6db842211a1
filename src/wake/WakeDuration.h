// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>
#include <optional>

// How long a wake period lasts: a number of minutes, or until turned off.
class WakeDuration {
public:
    // The cap applied when a stored duration is read back: 48 hours.
    static constexpr qint64 maxRestoredMinutes = 2880;

    static constexpr WakeDuration minutes(qint64 count) { return WakeDuration(false, count); }
    static constexpr WakeDuration indefinite() { return WakeDuration(true, 0); }

    constexpr WakeDuration() = default; // indefinite
    constexpr bool isIndefinite() const { return m_indefinite; }
    constexpr bool isTimed() const { return !m_indefinite; }
    // Only meaningful for a timed duration.
    constexpr qint64 minuteCount() const { return m_minutes; }

    // Stored as one integer: the minutes, or 0 for indefinite.
    constexpr qint64 storedValue() const { return m_indefinite ? 0 : m_minutes; }
    // No value, zero or negative read back as indefinite; the count is capped.
    static WakeDuration fromStored(std::optional<qint64> stored);

    friend constexpr bool operator==(const WakeDuration &a, const WakeDuration &b)
    {
        return a.m_indefinite == b.m_indefinite && (a.m_indefinite || a.m_minutes == b.m_minutes);
    }

private:
    constexpr WakeDuration(bool indefinite, qint64 count) : m_indefinite(indefinite), m_minutes(count) {}

    bool m_indefinite = true;
    qint64 m_minutes = 0;
};

size_t qHash(const WakeDuration &duration, size_t seed = 0) noexcept;

// "1:05:09", "4:07": the large countdown.
QString formatClock(qint64 seconds);
// "1 h 30 min", "45 min", "2 h": a duration in words.
QString formatMinutes(qint64 minutes);
// "1h05", "2m", "59s": the tray countdown.
QString formatCompact(qint64 seconds);

Q_DECLARE_METATYPE(WakeDuration)
