// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Notifier.h"

// org.freedesktop.Notifications on the session bus, with action buttons (ActionInvoked).
// Every call is asynchronous; with no notification service nothing shows and nothing
// waits. Follows a replaced session bus.
class FreedesktopNotifier : public Notifier {
    Q_OBJECT
public:
    explicit FreedesktopNotifier(BusConnections &buses, QObject *parent = nullptr);

    void show(const QString &title, const QString &body, const QList<Action> &actions = {}) override;
    void withdraw() override;

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &key);
    void onClosed(uint id, uint reason);

private:
    void subscribe();

    BusConnections &m_buses;
    uint m_id = 0;
    // Notify answered after the user already chose (the reply and the signal can cross).
    bool m_waitingForId = false;
    QList<QPair<uint, QString>> m_early;
};
