// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/ShutdownDelayLock.h"

#include <QObject>

class SystemEvents;

// A logind "delay" inhibitor on shutdown: logind waits (a few seconds at most) for it to
// be closed before powering off, which gives the program time to hand its inhibition
// back first. Main thread only.
class LogindShutdownDelayLock : public QObject, public ShutdownDelayLock {
    Q_OBJECT
public:
    // `events` tells when a power-off begins or is called off and when the machine resumes;
    // the lock is taken again after a called-off power-off and a resume, and when logind
    // restarts or the system bus is replaced (the new logind knows nothing of it).
    LogindShutdownDelayLock(SystemEvents &events, BusConnections &buses, QObject *parent = nullptr);
    ~LogindShutdownDelayLock() override;

    // Holds the lock from now on, or from when a power-off under way is called off. Asks
    // logind without waiting; a refusal is absorbed.
    void arm() override;
    // Lets go of the lock for the power-off under way; arm() or a called-off power-off
    // takes it again.
    void letGo() override;
    // Not wanted any more (nothing is held): closes it and does not take it again.
    void disarm() override;

    bool isHeld() const { return m_fd >= 0; }
    // Waiting for logind's answer.
    bool isRequesting() const { return m_requesting; }

Q_SIGNALS:
    void heldChanged();

private:
    void request();
    void close();

    BusConnections &m_buses;
    int m_generation = 0;
    bool m_wanted = false;
    bool m_lettingGo = false;
    bool m_poweringOff = false;
    bool m_requesting = false;
    int m_fd = -1;
};
