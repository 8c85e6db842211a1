// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ServiceAppearance.h"

#include <QDBusServiceWatcher>

ServiceAppearance::ServiceAppearance(BusConnections &buses, BusConnections::Bus bus, QStringList names, QObject *parent)
    : QObject(parent),
      m_names(std::move(names))
{
    watchOn(buses.connection(bus));
    connect(&buses, &BusConnections::reconnected, this, [this, &buses, bus](BusConnections::Bus which) {
        if (which != bus)
            return;
        watchOn(buses.connection(bus));
        Q_EMIT appeared();
    });
}

void ServiceAppearance::watchOn(const QDBusConnection &connection)
{
    delete m_watcher;
    m_watcher = new QDBusServiceWatcher(this);
    m_watcher->setConnection(connection);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    m_watcher->setWatchedServices(m_names);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                if (!newOwner.isEmpty())
                    Q_EMIT appeared();
            });
}
