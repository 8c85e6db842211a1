// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/PowerSource.h"

#include <QVariantMap>

// UPower on the system bus: the daemon's OnBattery and the display device's Percentage,
// read whenever UPower appears (after the program, or on a replaced system bus too) and
// followed through PropertiesChanged. Without UPower: mains, no battery. A percentage
// outside 0–100 (NaN and infinities included, as broken batteries report) is not a
// reading and leaves the last one in place.
class UPowerSource : public PowerSource {
    Q_OBJECT
public:
    explicit UPowerSource(BusConnections &buses, QObject *parent = nullptr);

    bool onBattery() const override { return m_onBattery; }
    std::optional<double> batteryPercent() const override { return m_percent; }

private Q_SLOTS:
    void onDaemonChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);
    void onDeviceChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void subscribe();
    void readAll();
    void apply(std::optional<bool> onBattery, std::optional<double> percent);

    BusConnections &m_buses;
    bool m_onBattery = false;
    std::optional<double> m_percent;
};
