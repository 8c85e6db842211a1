// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BusConnections.h"

#include "wake/Logging.h"

#include <QDBusMessage>
#include <QPointer>

BusConnections::BusConnections(QObject *parent) : QObject(parent)
{
    m_check.setInterval(2000);
    m_check.setTimerType(Qt::CoarseTimer);
    connect(&m_check, &QTimer::timeout, this, &BusConnections::check);
}

BusConnections::~BusConnections()
{
    for (Slot *s : {&m_session, &m_system}) {
        if (s->open)
            QDBusConnection::disconnectFromBus(s->name);
    }
}

void BusConnections::flush(int timeoutMs)
{
    for (const Slot *s : {&m_session, &m_system}) {
        if (!s->open)
            continue;
        QDBusConnection bus(s->name);
        if (!bus.isConnected())
            continue;
        // Messages leave a connection in order, so the daemon's answer to this one means
        // everything before it was written.
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        bus.call(ping, QDBus::Block, timeoutMs);
    }
}

QDBusConnection BusConnections::connection(Bus bus)
{
    Slot &s = slot(bus);
    if (s.open) {
        QDBusConnection existing(s.name);
        if (existing.isConnected())
            return existing;
        QDBusConnection::disconnectFromBus(s.name);
        s.open = false;
    }
    ++s.generation;
    // Unique in the process: a connection of an earlier instance may still be referenced.
    static int instances = 0;
    if (m_instance == 0)
        m_instance = ++instances;
    s.name = QStringLiteral("corvane-power-%1-%2-%3")
                 .arg(bus == Bus::System ? QStringLiteral("system") : QStringLiteral("session"))
                 .arg(m_instance)
                 .arg(s.generation);
    QDBusConnection fresh = QDBusConnection::connectToBus(
        bus == Bus::System ? QDBusConnection::SystemBus : QDBusConnection::SessionBus, s.name);
    s.open = true;
    if (s.generation > 1 && fresh.isConnected()) {
        qCDebug(lcPower) << "reconnected to the" << (bus == Bus::System ? "system" : "session") << "bus";
        Q_EMIT reconnected(bus);
    }
    return fresh;
}

std::shared_ptr<void> BusConnections::watch(Bus bus)
{
    ++slot(bus).watchers;
    m_check.start();
    QPointer<BusConnections> self(this);
    return std::shared_ptr<void>(nullptr, [self, bus](void *) {
        if (!self)
            return;
        if (--self->slot(bus).watchers <= 0 && self->m_session.watchers <= 0 && self->m_system.watchers <= 0)
            self->m_check.stop();
    });
}

void BusConnections::check()
{
    // Every open connection, not only the watched one's: a service that may take over on
    // the other bus must be heard of when it appears on a replaced daemon.
    for (const Bus bus : {Bus::Session, Bus::System}) {
        Slot &s = slot(bus);
        if (!s.open || QDBusConnection(s.name).isConnected())
            continue;
        qCDebug(lcPower) << "lost the" << (bus == Bus::System ? "system" : "session") << "bus";
        Q_EMIT dropped(bus);
        // Followed at once; a daemon not back yet is tried again on the next check.
        connection(bus);
    }
}
