// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QSet>

class CorvaneTimerService;

// Keeps the computer awake for as long as callers on the bus ask for it (the command line
// running a command or waiting for a process) and not a moment after they go, however they
// go: each caller's unique name is watched. With a period already running the holds add
// nothing and the period keeps its own end; with none (or once it ends) they run one until
// turned off, which ends with the last hold unless someone has started or ended a period
// since.
class CallerHolds : public QObject {
    Q_OBJECT
public:
    CallerHolds(CorvaneTimerService &timer, const QDBusConnection &bus, QObject *parent = nullptr);

    // False when `caller` has already left the bus: a request given up on takes no effect.
    bool add(const QString &caller);
    void remove(const QString &caller);
    bool isEmpty() const { return m_callers.isEmpty(); }

private:
    void keepAwake();

    CorvaneTimerService &m_timer;
    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    QSet<QString> m_callers;
    // The period the holds started, as the timer numbers it; none when they started none.
    std::optional<quint64> m_ownPeriod;
};
