// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RemoteSessionWatcher.h"

#include "platform/ServiceAppearance.h"
#include "wake/Logging.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {
const QString service = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString remoteProperty = QStringLiteral("Remote");
} // namespace

RemoteSessionWatcher::RemoteSessionWatcher(BusConnections &buses, QObject *parent)
    : TriggerSource(parent),
      m_buses(buses)
{
    watch();
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus == BusConnections::Bus::System)
            watch();
    });
    auto *appearance = new ServiceAppearance(m_buses, BusConnections::Bus::System, {service}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &RemoteSessionWatcher::list);
}

RemoteSessionWatcher::~RemoteSessionWatcher() = default;

QString RemoteSessionWatcher::words() const
{
    return m_remote.isEmpty() ? QString() : tr("someone is logged in remotely");
}

void RemoteSessionWatcher::watch()
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::System);
    bus.connect(service, managerPath, managerInterface, QStringLiteral("SessionNew"), this,
                SLOT(onSessionNew(QString, QDBusObjectPath)));
    bus.connect(service, managerPath, managerInterface, QStringLiteral("SessionRemoved"), this,
                SLOT(onSessionRemoved(QString, QDBusObjectPath)));
    // Any object of logind's; only sessions we know of are looked at.
    bus.connect(service, QString(), propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(onPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
    list();
}

void RemoteSessionWatcher::list()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, managerPath, managerInterface, QStringLiteral("ListSessions"));
    auto *pending = new QDBusPendingCallWatcher(
        m_buses.connection(BusConnections::Bus::System).asyncCall(call, readTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()
            || reply.signature() != QLatin1String("a(susso)")) {
            qCWarning(lcPower).noquote() << "Cannot list logind's sessions:" << finished->error().message();
            return;
        }
        QSet<QString> listed;
        const QDBusArgument sessions = reply.arguments().first().value<QDBusArgument>();
        sessions.beginArray();
        while (!sessions.atEnd()) {
            QString id, user, seat;
            uint uid = 0;
            QDBusObjectPath path;
            sessions.beginStructure();
            sessions >> id >> uid >> user >> seat >> path;
            sessions.endStructure();
            listed.insert(path.path());
        }
        sessions.endArray();
        // Sessions that ended while logind was away or the bus was replaced.
        const QList<QString> known = m_sessions.keys();
        for (const QString &path : known)
            if (!listed.contains(path)) {
                m_sessions.remove(path);
                setRemote(path, false);
            }
        for (const QString &path : listed)
            if (!m_sessions.contains(path))
                read(path);
    });
}

void RemoteSessionWatcher::read(const QString &path)
{
    const quint64 serial = ++m_sessions[path];
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
    get << sessionInterface << remoteProperty;
    auto *pending = new QDBusPendingCallWatcher(
        m_buses.connection(BusConnections::Bus::System).asyncCall(get, readTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, path, serial](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const auto it = m_sessions.constFind(path);
        if (it == m_sessions.constEnd() || *it != serial)
            return;
        const QDBusMessage reply = finished->reply();
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        if (reply.type() != QDBusMessage::ReplyMessage || value.metaType().id() != QMetaType::Bool) {
            qCWarning(lcPower).noquote() << "The session" << path << "did not tell whether it is remote; counting it"
                                         << "as local";
            setRemote(path, false);
            return;
        }
        setRemote(path, value.toBool());
    });
}

void RemoteSessionWatcher::onSessionNew(const QString &, const QDBusObjectPath &path)
{
    read(path.path());
}

void RemoteSessionWatcher::onSessionRemoved(const QString &, const QDBusObjectPath &path)
{
    m_sessions.remove(path.path());
    setRemote(path.path(), false);
}

void RemoteSessionWatcher::onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                               const QStringList &invalidated, const QDBusMessage &message)
{
    if (interface != sessionInterface || !m_sessions.contains(message.path()))
        return;
    if (changed.contains(remoteProperty)) {
        ++m_sessions[message.path()];
        setRemote(message.path(), changed.value(remoteProperty).toBool());
    } else if (invalidated.contains(remoteProperty)) {
        read(message.path());
    }
}

void RemoteSessionWatcher::setRemote(const QString &path, bool remote)
{
    const bool before = isActive();
    if (remote)
        m_remote.insert(path);
    else
        m_remote.remove(path);
    if (isActive() != before)
        Q_EMIT changed();
}
