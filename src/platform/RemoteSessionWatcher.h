// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/TriggerSource.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QHash>
#include <QSet>
#include <QVariantMap>

// logind's sessions with Remote set (someone logged in over SSH, say): active while there
// is one. Follows SessionNew and SessionRemoved and each session's PropertiesChanged, with
// one listing when logind appears; a session that does not answer counts as local.
class RemoteSessionWatcher : public TriggerSource {
    Q_OBJECT
public:
    static constexpr int readTimeoutMs = 3000;

    explicit RemoteSessionWatcher(BusConnections &buses, QObject *parent = nullptr);
    ~RemoteSessionWatcher() override;

    bool isActive() const override { return !m_remote.isEmpty(); }
    // "someone is logged in remotely".
    QString words() const override;
    std::optional<AssertionMode> wantedMode() const override { return AssertionMode::systemOnly; }

private Q_SLOTS:
    void onSessionNew(const QString &id, const QDBusObjectPath &path);
    void onSessionRemoved(const QString &id, const QDBusObjectPath &path);
    void onPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated,
                             const QDBusMessage &message);

private:
    void watch();
    void list();
    void read(const QString &path);
    void setRemote(const QString &path, bool remote);

    BusConnections &m_buses;
    // Sessions known, with the serial of the read in flight for each.
    QHash<QString, quint64> m_sessions;
    QSet<QString> m_remote;
};
