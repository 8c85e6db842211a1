// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/WakeDuration.h"

#include <QCoreApplication>
#include <QHashFunctions>
#include <algorithm>

WakeDuration WakeDuration::fromStored(std::optional<qint64> stored)
{
    if (!stored || *stored < 1)
        return indefinite();
    return minutes(std::min(*stored, maxRestoredMinutes));
}

size_t qHash(const WakeDuration &duration, size_t seed) noexcept
{
    return qHashMulti(seed, duration.isIndefinite(), duration.storedValue());
}

QString formatClock(qint64 seconds)
{
    if (seconds < 3600)
        return QString::asprintf("%lld:%02lld", (seconds % 3600) / 60, seconds % 60);
    return QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, (seconds % 3600) / 60, seconds % 60);
}

QString formatMinutes(qint64 minutes)
{
    const qint64 h = minutes / 60;
    const qint64 m = minutes % 60;
    if (h == 0)
        return QCoreApplication::translate("WakeDuration", "%1 min").arg(m);
    if (m == 0)
        return QCoreApplication::translate("WakeDuration", "%1 h").arg(h);
    return QCoreApplication::translate("WakeDuration", "%1 h %2 min").arg(h).arg(m);
}

QString formatCompact(qint64 seconds)
{
    if (seconds >= 3600)
        return QString::asprintf("%lldh%02lld", seconds / 3600, (seconds % 3600) / 60);
    if (seconds >= 60)
        return QString::number((seconds + 59) / 60) + QLatin1Char('m');
    return QString::number(seconds) + QLatin1Char('s');
}
