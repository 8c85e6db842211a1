// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class CorvaneTimerService;
class Notifier;
class PowerSource;
class SettingSwitch;

// Ends the wake period when this computer runs on battery below a charge the user chose
// ("corvane.stopBelowBatteryPercent", 0 = never), and says why in a notification.
class BatteryGuard : public QObject {
    Q_OBJECT
public:
    static inline const QString settingKey = QStringLiteral("corvane.stopBelowBatteryPercent");
    static constexpr qint64 onPercent = 20;

    BatteryGuard(CorvaneTimerService &timer, PowerSource &power, Notifier &notifier, const SettingSwitch &belowPercent,
                 QObject *parent = nullptr);

private:
    void check();

    CorvaneTimerService &m_timer;
    PowerSource &m_power;
    Notifier &m_notifier;
    const SettingSwitch &m_belowPercent;
};
