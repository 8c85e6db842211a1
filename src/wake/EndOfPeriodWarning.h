// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class CorvaneTimerService;
class Notifier;
class SettingSwitch;

// A notification a few minutes before a timed period ends ("corvane.warnBeforeEndMinutes",
// 0 = never), only for periods longer than that, with a way to extend the period without
// a gap or to end it at once. Runs on the timer service's own countdown.
class EndOfPeriodWarning : public QObject {
    Q_OBJECT
public:
    static inline const QString settingKey = QStringLiteral("corvane.warnBeforeEndMinutes");
    static constexpr qint64 defaultMinutes = 5;
    static constexpr qint64 extendMinutes = 15;
    static inline const QString extendKey = QStringLiteral("extend");
    static inline const QString stopKey = QStringLiteral("stop");

    EndOfPeriodWarning(CorvaneTimerService &timer, Notifier &notifier, const SettingSwitch &minutesBefore,
                       QObject *parent = nullptr);

private:
    void check();
    void onAction(const QString &key);

    CorvaneTimerService &m_timer;
    Notifier &m_notifier;
    const SettingSwitch &m_minutesBefore;
    bool m_shown = false;
};
