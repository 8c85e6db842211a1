// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MprisWatcher.h"

#include "wake/Logging.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString statusProperty = QStringLiteral("PlaybackStatus");
} // namespace

MprisWatcher::MprisWatcher(BusConnections &buses, QObject *parent) : TriggerSource(parent), m_buses(buses)
{
    watch();
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus == BusConnections::Bus::Session)
            watch();
    });
}

MprisWatcher::~MprisWatcher() = default;

QString MprisWatcher::playerName(const QString &busName)
{
    return busName.mid(namePrefix.size()).section(QLatin1Char('.'), 0, 0);
}

QString MprisWatcher::words() const
{
    if (m_playing.isEmpty())
        return {};
    return tr("%1 plays media").arg(playerName(m_playing.first()));
}

void MprisWatcher::watch()
{
    const QString before = words();
    m_players.clear();
    m_playing.clear();
    delete m_names;
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::Session);
    // One match rule for the whole name space (arg0namespace, given without the final
    // dot): names outside it never wake us.
    m_names = new QDBusServiceWatcher(namePrefix.chopped(1) + QLatin1Char('*'), bus,
                                      QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_names, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &name, const QString &, const QString &newOwner) {
                if (name.startsWith(namePrefix))
                    onOwnerChanged(name, newOwner);
            });
    // Only the players' object path: other objects' property changes never reach us.
    bus.connect(QString(), objectPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(onPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));

    QDBusMessage list =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    auto *pending = new QDBusPendingCallWatcher(bus.asyncCall(list, readTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QStringList> reply = *finished;
        if (reply.isError()) {
            qCWarning(lcPower).noquote() << "Cannot list the media players:" << reply.error().message();
            return;
        }
        for (const QString &name : reply.value())
            if (name.startsWith(namePrefix) && !m_players.contains(name))
                onOwnerChanged(name, QStringLiteral("?"));
    });
    announceIfChanged(before);
}

void MprisWatcher::onOwnerChanged(const QString &name, const QString &newOwner)
{
    qCDebug(lcPower).noquote() << "Media player" << name << (newOwner.isEmpty() ? "went" : "appeared");
    if (newOwner.isEmpty()) {
        m_players.remove(name);
        setPlaying(name, false);
        return;
    }
    // A new owner starts out as not playing until it says otherwise.
    Player &player = m_players[name];
    player.owner = newOwner.startsWith(QLatin1Char(':')) ? newOwner : QString();
    setPlaying(name, false);
    read(name);
}

void MprisWatcher::read(const QString &name)
{
    Player &player = m_players[name];
    const quint64 serial = ++player.reads;
    QDBusMessage get = QDBusMessage::createMethodCall(name, objectPath, propertiesInterface, QStringLiteral("Get"));
    get << playerInterface << statusProperty;
    auto *pending = new QDBusPendingCallWatcher(
        m_buses.connection(BusConnections::Bus::Session).asyncCall(get, readTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, name, serial](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        auto it = m_players.find(name);
        if (it == m_players.end() || it->reads != serial)
            return;
        const QDBusMessage reply = finished->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            qCWarning(lcPower).noquote() << "The media player" << name << "did not tell whether it plays ("
                                         << finished->error().message() << "); counting it as not playing";
            setPlaying(name, false);
            return;
        }
        it->owner = reply.service();
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        if (value.metaType().id() != QMetaType::QString)
            qCWarning(lcPower).noquote() << "The media player" << name << "gave its" << statusProperty << "as"
                                         << value.metaType().name() << "rather than text; counting it as not playing";
        qCDebug(lcPower).noquote() << "Media player" << name << "reads" << value.toString();
        setPlaying(name, value.metaType().id() == QMetaType::QString && value.toString() == QLatin1String("Playing"));
    });
}

void MprisWatcher::onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                       const QStringList &invalidated, const QDBusMessage &message)
{
    if (interface != playerInterface)
        return;
    for (auto it = m_players.begin(); it != m_players.end(); ++it) {
        if (it->owner != message.service())
            continue;
        const QString &name = it.key();
        if (changed.contains(statusProperty)) {
            ++it->reads; // what it says now outranks any read still on its way
            const QVariant value = changed.value(statusProperty);
            setPlaying(name,
                       value.metaType().id() == QMetaType::QString && value.toString() == QLatin1String("Playing"));
        } else if (invalidated.contains(statusProperty)) {
            read(name);
        }
    }
}

void MprisWatcher::setPlaying(const QString &name, bool playing)
{
    const QString before = words();
    const auto at = std::lower_bound(m_playing.begin(), m_playing.end(), name);
    const bool listed = at != m_playing.end() && *at == name;
    if (playing && !listed)
        m_playing.insert(at, name);
    else if (!playing && listed)
        m_playing.erase(at);
    announceIfChanged(before);
}

void MprisWatcher::announceIfChanged(const QString &wordsBefore)
{
    if (words() != wordsBefore)
        Q_EMIT changed();
}
