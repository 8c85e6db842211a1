// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FreedesktopNotifier.h"

#include "wake/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <utility>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
constexpr int callTimeoutMs = 3000;
} // namespace

FreedesktopNotifier::FreedesktopNotifier(BusConnections &buses, QObject *parent) : Notifier(parent), m_buses(buses)
{
    subscribe();
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus != BusConnections::Bus::Session)
            return;
        // The notification shown went with the old daemon's service.
        m_id = 0;
        subscribe();
    });
}

void FreedesktopNotifier::subscribe()
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::Session);
    bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
}

void FreedesktopNotifier::show(const QString &title, const QString &body, const QList<Action> &actions)
{
    QStringList flat;
    for (const Action &action : actions)
        flat << action.key << action.label;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    call << QStringLiteral("Corvane") << m_id << QStringLiteral("corvane") << title << body << flat
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("corvane")}} << -1;
    m_waitingForId = true;
    m_early.clear();
    auto *watcher = new QDBusPendingCallWatcher(
        m_buses.connection(BusConnections::Bus::Session).asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        m_waitingForId = false;
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isError()) {
            qCDebug(lcPower) << "no notification shown:" << reply.error().message();
            return;
        }
        m_id = reply.value();
        const auto early = std::exchange(m_early, {});
        for (const auto &[id, key] : early)
            onActionInvoked(id, key);
    });
}

void FreedesktopNotifier::withdraw()
{
    if (m_id == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"));
    call << m_id;
    m_buses.connection(BusConnections::Bus::Session).asyncCall(call, callTimeoutMs);
    m_id = 0;
}

void FreedesktopNotifier::onActionInvoked(uint id, const QString &key)
{
    if (m_waitingForId)
        m_early.append({id, key});
    else if (id != 0 && id == m_id)
        Q_EMIT actionInvoked(key);
}

void FreedesktopNotifier::onClosed(uint id, uint)
{
    if (id == m_id)
        m_id = 0;
}
