// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UPowerSource.h"

#include "platform/ServiceAppearance.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <cmath>
#include <functional>

namespace {
const QString service = QStringLiteral("org.freedesktop.UPower");
const QString daemonPath = QStringLiteral("/org/freedesktop/UPower");
const QString devicePath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int callTimeoutMs = 3000;
} // namespace

UPowerSource::UPowerSource(BusConnections &buses, QObject *parent) : PowerSource(parent), m_buses(buses)
{
    subscribe();
    readAll();
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus == BusConnections::Bus::System)
            subscribe();
    });
    auto *appearance = new ServiceAppearance(m_buses, BusConnections::Bus::System, {service}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &UPowerSource::readAll);
}

void UPowerSource::subscribe()
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::System);
    bus.connect(service, daemonPath, properties, QStringLiteral("PropertiesChanged"), this,
                SLOT(onDaemonChanged(QString, QVariantMap, QStringList)));
    bus.connect(service, devicePath, properties, QStringLiteral("PropertiesChanged"), this,
                SLOT(onDeviceChanged(QString, QVariantMap, QStringList)));
}

void UPowerSource::readAll()
{
    auto get = [this](const QString &path, const QString &interface, const QString &name,
                      const std::function<void(const QVariant &)> &use) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, properties, QStringLiteral("Get"));
        call << interface << name;
        auto *watcher = new QDBusPendingCallWatcher(
            m_buses.connection(BusConnections::Bus::System).asyncCall(call, callTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [use](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *finished;
            if (!reply.isError())
                use(reply.value().variant());
        });
    };
    get(daemonPath, service, QStringLiteral("OnBattery"),
        [this](const QVariant &v) { apply(v.toBool(), std::nullopt); });
    get(devicePath, deviceInterface, QStringLiteral("Percentage"),
        [this](const QVariant &v) { apply(std::nullopt, v.toDouble()); });
}

void UPowerSource::onDaemonChanged(const QString &, const QVariantMap &changed, const QStringList &)
{
    if (changed.contains(QStringLiteral("OnBattery")))
        apply(changed.value(QStringLiteral("OnBattery")).toBool(), std::nullopt);
}

void UPowerSource::onDeviceChanged(const QString &, const QVariantMap &changed, const QStringList &)
{
    if (changed.contains(QStringLiteral("Percentage")))
        apply(std::nullopt, changed.value(QStringLiteral("Percentage")).toDouble());
}

void UPowerSource::apply(std::optional<bool> onBattery, std::optional<double> percent)
{
    const bool before = m_onBattery;
    const std::optional<double> percentBefore = m_percent;
    if (onBattery)
        m_onBattery = *onBattery;
    if (percent && std::isfinite(*percent) && *percent >= 0 && *percent <= 100)
        m_percent = *percent;
    if (before != m_onBattery || percentBefore != m_percent)
        Q_EMIT changed();
}
