// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"

#include <QObject>
#include <QVariantMap>

// GNOME Shell's overview (Activities, the Super key) as org.gnome.Shell's OverviewActive
// property tells of it. The overview takes the keyboard from every window without a word
// to Xwayland ones, so this is how an X client learns that the user went there.
class GnomeShellOverview : public QObject {
    Q_OBJECT
public:
    explicit GnomeShellOverview(BusConnections &buses, QObject *parent = nullptr);

    bool isActive() const { return m_active; }

Q_SIGNALS:
    void activeChanged(bool active);

private Q_SLOTS:
    void onPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void subscribe();

    BusConnections &m_buses;
    bool m_active = false;
};
