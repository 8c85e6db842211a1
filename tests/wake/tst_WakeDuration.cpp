// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/WakeDuration.h"

#include <QtTest>

class WakeDurationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatters_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<qint64>("input");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *which, qint64 in, const char *out) {
            QTest::addRow("%s(%lld)", which, in) << QString::fromLatin1(which) << in << QString::fromLatin1(out);
        };
        // Boundaries only: where a unit appears, rounds or carries.
        row("clock", 3599, "59:59");
        row("clock", 3600, "1:00:00");
        row("clock", 172800, "48:00:00");
        row("minutes", 59, "59 min");
        row("minutes", 60, "1 h");
        row("minutes", 90, "1 h 30 min");
        row("compact", 60, "1m");
        row("compact", 61, "2m");
        row("compact", 3541, "60m");
        row("compact", 3659, "1h00");
        row("compact", 3660, "1h01");
    }
    void formatters()
    {
        QFETCH(QString, which);
        QFETCH(qint64, input);
        QFETCH(QString, expected);
        const QString actual = which == QLatin1String("clock") ? formatClock(input)
            : which == QLatin1String("minutes")                ? formatMinutes(input)
                                                               : formatCompact(input);
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(WakeDurationTest)
#include "tst_WakeDuration.moc"
