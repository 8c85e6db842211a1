// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/BatteryGuard.h"

#include "wake/CorvaneTimerService.h"
#include "wake/Notifier.h"
#include "wake/PowerSource.h"
#include "wake/SettingSwitch.h"

#include <QCoreApplication>

BatteryGuard::BatteryGuard(CorvaneTimerService &timer, PowerSource &power, Notifier &notifier,
                           const SettingSwitch &belowPercent, QObject *parent)
    : QObject(parent),
      m_timer(timer),
      m_power(power),
      m_notifier(notifier),
      m_belowPercent(belowPercent)
{
    connect(&m_power, &PowerSource::changed, this, &BatteryGuard::check);
    // Queued: a period that starts on a low battery ends once start() has finished.
    connect(&m_timer, &CorvaneTimerService::activeChanged, this, &BatteryGuard::check, Qt::QueuedConnection);
    connect(&m_belowPercent, &SettingSwitch::isOnChanged, this, &BatteryGuard::check);
}

void BatteryGuard::check()
{
    const qint64 threshold = m_belowPercent.value();
    const std::optional<double> percent = m_power.batteryPercent();
    if (!m_timer.active() || threshold <= 0 || !m_power.onBattery() || !percent || *percent >= double(threshold))
        return;
    m_timer.stop();
    m_notifier.show(QCoreApplication::translate("BatteryGuard", "Corvane stopped keeping this computer awake"),
                    QCoreApplication::translate("BatteryGuard", "The battery is below %1 %.").arg(threshold));
}
