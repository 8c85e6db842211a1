// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/PowerSource.h"

#include <QDBusConnection>
#include <QVariantMap>

// UPower on the system bus: the daemon's OnBattery and the display device's Percentage,
// read once and then followed through PropertiesChanged. Without UPower: mains, no battery.
class UPowerSource : public PowerSource {
    Q_OBJECT
public:
    explicit UPowerSource(QDBusConnection bus = QDBusConnection::systemBus(), QObject *parent = nullptr);

    bool onBattery() const override { return m_onBattery; }
    std::optional<double> batteryPercent() const override { return m_percent; }

private Q_SLOTS:
    void onDaemonChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);
    void onDeviceChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void readAll();
    void apply(std::optional<bool> onBattery, std::optional<double> percent);

    QDBusConnection m_bus;
    bool m_onBattery = false;
    std::optional<double> m_percent;
};
