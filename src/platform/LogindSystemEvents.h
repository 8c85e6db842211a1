// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/SystemEvents.h"

#include <QVariantMap>

// Sleep and power-off as logind announces them on the system bus, over the power layer's
// connection, so a replaced bus daemon is followed like the inhibitors follow it.
class LogindSystemEvents : public SystemEvents {
    Q_OBJECT
public:
    explicit LogindSystemEvents(BusConnections &buses, QObject *parent = nullptr);

private Q_SLOTS:
    void onPrepareForSleep(bool entering);
    void onPrepareForShutdown(bool entering);
    void onPrepareForShutdownWithMetadata(bool entering, const QVariantMap &metadata);

private:
    void subscribe(QDBusConnection bus);

    // systemd 255 and later announce a power-off twice, with and without metadata.
    bool m_poweringOff = false;
};
