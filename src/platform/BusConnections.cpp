// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BusConnections.h"

#include "wake/Logging.h"

#include <QDBusMessage>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char *busWord(BusConnections::Bus bus)
{
    return bus == BusConnections::Bus::System ? "system" : "session";
}
} // namespace

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

QString BusConnections::sessionBusAddress()
{
    QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    // libdbus's own fallback, the socket of a systemd user bus, when it is ours.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    const QByteArray socket = runtime + "/bus";
    struct stat info = {};
    if (::stat(socket.constData(), &info) != 0 || !S_ISSOCK(info.st_mode) || info.st_uid != ::getuid())
        return {};
    return QStringLiteral("unix:path=") + QString::fromLocal8Bit(socket);
}

void BusConnections::preventAutolaunch()
{
    // An address type libdbus does not know: every connection attempt fails at once.
    if (sessionBusAddress().isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
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
    if (bus == Bus::Session && sessionBusAddress().isEmpty()) {
        // libdbus would autolaunch one; a connection that never connects stands in.
        return QDBusConnection(QStringLiteral("corvane-no-session-bus"));
    }
    ++s.generation;
    // Unique in the process: a connection of an earlier instance may still be referenced.
    static int instances = 0;
    if (m_instance == 0)
        m_instance = ++instances;
    s.name = QStringLiteral("corvane-%1-%2-%3").arg(QLatin1String(busWord(bus))).arg(m_instance).arg(s.generation);
    QDBusConnection fresh = QDBusConnection::connectToBus(
        bus == Bus::System ? QDBusConnection::SystemBus : QDBusConnection::SessionBus, s.name);
    s.open = true;
    if (!fresh.isConnected())
        return fresh;
    // libdbus reports the end of the connection as a local signal: the drop is heard the
    // moment the daemon goes, without asking the connection from time to time.
    fresh.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                  QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
                  bus == Bus::System ? SLOT(systemDisconnected()) : SLOT(sessionDisconnected()));
    s.up = true;
    const bool again = s.generation > 1;
    s.lost = false;
    updateCheck();
    if (again) {
        qCDebug(lcPower) << "reconnected to the" << busWord(bus) << "bus";
        Q_EMIT reconnected(bus);
    }
    return fresh;
}

void BusConnections::sessionDisconnected()
{
    // Handled after the connection has finished delivering: a client may drop its last
    // reference to the connection from its `dropped` handler.
    QMetaObject::invokeMethod(this, &BusConnections::check, Qt::QueuedConnection);
}

void BusConnections::systemDisconnected()
{
    QMetaObject::invokeMethod(this, &BusConnections::check, Qt::QueuedConnection);
}

void BusConnections::lose(Bus bus)
{
    qCDebug(lcPower) << "lost the" << busWord(bus) << "bus";
    slot(bus).lost = true;
    updateCheck();
    Q_EMIT dropped(bus);
}

void BusConnections::check()
{
    // Every open connection, not only the watched one's: a service that may take over on
    // the other bus must be heard of when it appears on a replaced daemon.
    for (const Bus bus : {Bus::Session, Bus::System}) {
        Slot &s = slot(bus);
        if (!s.open || QDBusConnection(s.name).isConnected())
            continue;
        if (s.up && !s.lost)
            lose(bus);
        // Followed at once; a daemon not back yet is tried again on the next check.
        connection(bus);
    }
}

void BusConnections::updateCheck()
{
    const bool needed = m_session.lost || m_system.lost;
    if (needed && !m_check.isActive())
        m_check.start();
    else if (!needed)
        m_check.stop();
}
