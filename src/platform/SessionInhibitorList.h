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
//
// gnome-session takes a logind lock of its own ("user session inhibited", in the user's
// name) for as long as any of its clients inhibits, ours included: it mirrors what
// GetInhibitors already lists and is no application. It is told apart by the process that
// holds it, the one that owns org.gnome.SessionManager on the session bus, not by its
// wording.
class SessionInhibitorList : public OtherInhibitors {
    Q_OBJECT
public:
    explicit SessionInhibitorList(BusConnections &buses, QObject *parent = nullptr);

    void refresh() override;

private:
    // `onReply` gets only successful replies unless `errorsToo`.
    void ask(BusConnections::Bus bus, const QDBusMessage &message, std::function<void(const QDBusMessage &)> onReply,
             bool errorsToo = false);
    void publish();

    BusConnections &m_buses;
    struct LogindLock {
        QString text;
        uint pid = 0;
    };
    QList<LogindLock> m_logind;
    // The process of gnome-session, 0 while unknown or absent.
    uint m_sessionManagerPid = 0;
    QMap<QString, QStringList> m_gnome; // object path: app id, reason
    int m_round = 0;
};
