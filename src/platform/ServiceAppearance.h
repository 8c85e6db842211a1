// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"

#include <QObject>
#include <QStringList>

class QDBusServiceWatcher;

// Tells when any of some well-known names gets an owner, including after the bus itself
// was replaced; the inhibitors forward it so a chain can move back up.
class ServiceAppearance : public QObject {
    Q_OBJECT
public:
    ServiceAppearance(BusConnections &buses, BusConnections::Bus bus, QStringList names, QObject *parent);

Q_SIGNALS:
    void appeared();

private:
    void watchOn(const QDBusConnection &connection);

    QStringList m_names;
    QDBusServiceWatcher *m_watcher = nullptr;
};
