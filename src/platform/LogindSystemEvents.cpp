// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LogindSystemEvents.h"

#include <QDBusConnection>

namespace {
const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString login1Manager = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

LogindSystemEvents::LogindSystemEvents(BusConnections &buses, QObject *parent) : SystemEvents(parent)
{
    subscribe(buses.connection(BusConnections::Bus::System));
    connect(&buses, &BusConnections::reconnected, this, [this, &buses](BusConnections::Bus which) {
        if (which == BusConnections::Bus::System)
            subscribe(buses.connection(which));
    });
}

void LogindSystemEvents::subscribe(QDBusConnection bus)
{
    bus.connect(login1Service, login1Path, login1Manager, QStringLiteral("PrepareForSleep"), this,
                SLOT(onPrepareForSleep(bool)));
    bus.connect(login1Service, login1Path, login1Manager, QStringLiteral("PrepareForShutdown"), this,
                SLOT(onPrepareForShutdown(bool)));
    // systemd 255 and later also send the variant with metadata.
    bus.connect(login1Service, login1Path, login1Manager, QStringLiteral("PrepareForShutdownWithMetadata"), this,
                SLOT(onPrepareForShutdownWithMetadata(bool, QVariantMap)));
}

void LogindSystemEvents::onPrepareForSleep(bool entering)
{
    if (!entering)
        Q_EMIT didWake();
}

void LogindSystemEvents::onPrepareForShutdown(bool entering)
{
    if (entering == m_poweringOff)
        return;
    m_poweringOff = entering;
    if (entering)
        Q_EMIT willPowerOff();
    else
        Q_EMIT powerOffCancelled();
}

void LogindSystemEvents::onPrepareForShutdownWithMetadata(bool entering, const QVariantMap &)
{
    onPrepareForShutdown(entering);
}
