// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <memory>

// The session and system bus connections the power layer talks over. A connection that
// dropped (the bus daemon went away) is replaced by a fresh one the next time it is asked
// for. While anything is held, the open connections are checked every couple of seconds
// (a local check, no bus traffic), so a drop is noticed without a call failing and the
// new daemon is connected to as soon as it answers.
// Main thread only.
class BusConnections : public QObject {
    Q_OBJECT
public:
    enum class Bus { Session, System };

    explicit BusConnections(QObject *parent = nullptr);
    ~BusConnections() override;

    QDBusConnection connection(Bus bus);

    // Keeps the drop check running while the returned handle lives.
    std::shared_ptr<void> watch(Bus bus);

    // Waits (at most `timeoutMs` per bus) until every message queued on the open connections
    // has gone out: a release sent just before the process ends would otherwise die in the
    // queue, and a service that does not watch its clients leave keeps the inhibition.
    void flush(int timeoutMs);

Q_SIGNALS:
    void dropped(BusConnections::Bus bus);
    void reconnected(BusConnections::Bus bus);

private:
    struct Slot {
        QString name;
        bool open = false;
        int generation = 0;
        int watchers = 0;
    };
    Slot &slot(Bus bus) { return bus == Bus::System ? m_system : m_session; }
    void check();

    Slot m_session;
    Slot m_system;
    int m_instance = 0;
    QTimer m_check;
};
