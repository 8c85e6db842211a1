// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GnomeShellOverview.h"

namespace {
const QString shellService = QStringLiteral("org.gnome.Shell");
const QString shellPath = QStringLiteral("/org/gnome/Shell");
} // namespace

GnomeShellOverview::GnomeShellOverview(BusConnections &buses, QObject *parent) : QObject(parent), m_buses(buses)
{
    subscribe();
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus == BusConnections::Bus::Session)
            subscribe();
    });
}

void GnomeShellOverview::subscribe()
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::Session);
    if (!bus.isConnected())
        return;
    bus.connect(shellService, shellPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this,
                SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
}

void GnomeShellOverview::onPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
{
    if (interface != shellService)
        return;
    const auto it = changed.constFind(QStringLiteral("OverviewActive"));
    if (it == changed.constEnd() || it->toBool() == m_active)
        return;
    m_active = it->toBool();
    Q_EMIT activeChanged(m_active);
}
