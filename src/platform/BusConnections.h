// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

// The session and system bus connections every D-Bus client of the program talks over. A
// connection that drops (the bus daemon went away) says so at once; it is replaced by a
// fresh one as soon as the new daemon answers, tried again every couple of seconds while
// the bus is down, so nothing wakes the program while the buses are fine. Clients connect
// their signals and objects again on `reconnected`.
// A session bus is never started on the program's behalf: without an address to find it
// at, there is none.
// Main thread only.
class BusConnections : public QObject {
    Q_OBJECT
public:
    enum class Bus { Session, System };

    explicit BusConnections(QObject *parent = nullptr);
    ~BusConnections() override;

    QDBusConnection connection(Bus bus);

    // Waits (at most `timeoutMs` per bus) until every message queued on the open connections
    // has gone out: a release sent just before the process ends would otherwise die in the
    // queue, and a service that does not watch its clients leave keeps the inhibition.
    void flush(int timeoutMs);

    // Where libdbus would find the session bus without starting one: the address in the
    // environment, else the user bus socket in XDG_RUNTIME_DIR. Empty when there is none.
    static QString sessionBusAddress();
    // Without a session bus address libdbus (and so Qt, for its own uses of the bus)
    // would run dbus-launch, leaving a bus daemon behind that outlives the program. Points
    // the environment at an address that fails instead; call before the application object.
    static void preventAutolaunch();

Q_SIGNALS:
    void dropped(BusConnections::Bus bus);
    void reconnected(BusConnections::Bus bus);

private Q_SLOTS:
    void sessionDisconnected();
    void systemDisconnected();

private:
    struct Slot {
        QString name;
        bool open = false;
        bool up = false; // the connection worked, since it was made
        bool lost = false; // it was up and dropped; being tried again
        int generation = 0;
    };
    Slot &slot(Bus bus) { return bus == Bus::System ? m_system : m_session; }
    void lose(Bus bus);
    void check();
    void updateCheck();

    Slot m_session;
    Slot m_system;
    int m_instance = 0;
    QTimer m_check;
};
