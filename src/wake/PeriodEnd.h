// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// When a wake period ends, read the same way on every surface: the clock time to the minute
// in the user's own short format, seconds dropped rather than rounded (an end at 15:44:40
// reads 15:44, where the countdown still has minutes to go in 15:44), and how many days
// ahead of today it falls, for the surfaces to say "tomorrow" or the weekday.
struct PeriodEnd {
    QString time;
    qint64 daysAhead = 0;
    // The short weekday name, for an end two or more days ahead.
    QString weekday;

    static PeriodEnd of(const QDateTime &end, const QDateTime &now, const QLocale &locale);
};
