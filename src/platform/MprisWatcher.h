// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/TriggerSource.h"

#include <QDBusMessage>
#include <QHash>
#include <QVariantMap>

class QDBusServiceWatcher;

// Media players on the session bus (org.mpris.MediaPlayer2.*): active while any of them
// says its PlaybackStatus is "Playing". Follows the players' names appearing and going and
// their PropertiesChanged, so an idle desktop never wakes it. Every read is asynchronous
// with a deadline: a player that hangs, answers with the wrong type or goes without a word
// counts as not playing, and the main loop never waits for one.
class MprisWatcher : public TriggerSource {
    Q_OBJECT
public:
    static inline const QString namePrefix = QStringLiteral("org.mpris.MediaPlayer2.");
    static constexpr int readTimeoutMs = 2000;

    explicit MprisWatcher(BusConnections &buses, QObject *parent = nullptr);
    ~MprisWatcher() override;

    bool isActive() const override { return !m_playing.isEmpty(); }
    // "mpv plays media": the first playing player, by name.
    QString words() const override;
    std::optional<AssertionMode> wantedMode() const override { return AssertionMode::displayAndSystem; }

    // "mpv" for org.mpris.MediaPlayer2.mpv and org.mpris.MediaPlayer2.mpv.instance42.
    static QString playerName(const QString &busName);

private Q_SLOTS:
    void onPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated,
                             const QDBusMessage &message);

private:
    struct Player {
        QString owner; // unique name; PropertiesChanged comes from it
        quint64 reads = 0; // answers to older reads are stale
    };
    void watch();
    void onOwnerChanged(const QString &name, const QString &newOwner);
    void read(const QString &name);
    void setPlaying(const QString &name, bool playing);
    void announceIfChanged(const QString &wordsBefore);

    BusConnections &m_buses;
    QDBusServiceWatcher *m_names = nullptr;
    QHash<QString, Player> m_players;
    // Names of the players that play, kept sorted so the words do not jump between them.
    QStringList m_playing;
};
