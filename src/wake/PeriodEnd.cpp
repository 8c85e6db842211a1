// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/PeriodEnd.h"

#include <QRegularExpression>

PeriodEnd PeriodEnd::of(const QDateTime &end, const QDateTime &now, const QLocale &locale)
{
    // 12- or 24-hour as the user has it; some locales' short format still carries seconds,
    // which an end time does not need.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[:.]?s+")));
    const qint64 days = now.date().daysTo(end.date());
    return {locale.toString(end.time(), format.trimmed()), std::max<qint64>(0, days),
            locale.dayName(end.date().dayOfWeek(), QLocale::ShortFormat)};
}
