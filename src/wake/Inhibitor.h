// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/AssertionMode.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

// One inhibition asked of one mechanism (or of a chain of them): pending until the service
// answers, then held, refused, or, once held, lost. Outcomes are signals on the main thread;
// one that comes from inside Inhibitor::request() is seen through state() instead.
class Grant : public QObject {
    Q_OBJECT
public:
    enum class State { Pending, Held, Refused, Lost, Released };

    ~Grant() override;

    State state() const { return m_state.load(); }
    // The mechanism in force, as the user reads it ("GNOME Session Manager"); empty until held.
    QString heldBy() const { return m_heldBy; }
    // Why it was refused or lost; empty otherwise.
    QString why() const { return m_why; }

    // Gives back what is held, or makes sure a late answer is given back when it comes.
    // Idempotent. Safe from the exit hook on any thread: implementations only send bus
    // messages and close descriptors there.
    void release();

Q_SIGNALS:
    void granted(const QString &heldBy);
    void refused(const QString &why);
    // The service let go of a held inhibition (it left the bus, restarted, or the bus went).
    void lost(const QString &why);

protected:
    // Each moves the state on once; calls after release() or a final outcome are ignored.
    void markGranted(const QString &heldBy);
    void markRefused(const QString &why);
    void markLost(const QString &why);
    bool isReleased() const { return state() == State::Released; }
    // Called once, by the first release(), with the state it found: only a Held grant has
    // anything to send back; a Pending one must hand back a late answer when it comes.
    virtual void giveBack(State before) = 0;

private:
    bool advance(State from, State to);

    std::atomic<State> m_state{State::Pending};
    QString m_heldBy;
    QString m_why;
};

// A grant that is refused on the next turn of the event loop: for a mechanism that knows
// at once that it cannot help.
std::unique_ptr<Grant> refusedGrant(const QString &why);

// One mechanism that can keep the computer awake.
class Inhibitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The name the user reads ("systemd-logind"); also the prefix of its log lines.
    virtual QString name() const = 0;
    virtual std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) = 0;

Q_SIGNALS:
    // The service behind this mechanism came onto the bus (or got a new owner): a chain
    // held by something further down may now do better.
    void serviceAppeared();
};
