// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/OtherInhibitors.h"

#include <QMap>
#include <functional>

class QDBusMessage;

// Other applications' inhibitions from logind's ListInhibitors (blocking idle or sleep) and
// GNOME's GetInhibitors, ours left out. Every call is asynchronous; a service that is not
// there simply lists nothing.
class SessionInhibitorList : public OtherInhibitors {
    Q_OBJECT
public:
    explicit SessionInhibitorList(BusConnections &buses, QObject *parent = nullptr);

    void refresh() override;

private:
    void ask(BusConnections::Bus bus, const QDBusMessage &message, std::function<void(const QDBusMessage &)> onReply);
    void publish();

    BusConnections &m_buses;
    QStringList m_logind;
    QMap<QString, QStringList> m_gnome; // object path: app id, reason
    int m_round = 0;
};
