// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CallerHolds.h"

#include "wake/CorvaneTimerService.h"

#include <QDBusConnectionInterface>

CallerHolds::CallerHolds(CorvaneTimerService &timer, const QDBusConnection &bus, QObject *parent)
    : QObject(parent),
      m_timer(timer),
      m_bus(bus),
      m_watcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &CallerHolds::remove);
    // A period that ends while a command still runs (its time is up, or it was switched
    // off) gives way to one for the command.
    connect(&m_timer, &CorvaneTimerService::activeChanged, this, [this] {
        if (!m_callers.isEmpty() && !m_timer.active() && !m_timer.starting())
            keepAwake();
    });
}

bool CallerHolds::add(const QString &caller)
{
    if (m_callers.contains(caller))
        return true;
    // Watched before it is asked about, so a caller leaving in between is still seen.
    m_watcher.addWatchedService(caller);
    if (m_bus.interface() && !m_bus.interface()->isServiceRegistered(caller).value()) {
        m_watcher.removeWatchedService(caller);
        return false;
    }
    m_callers.insert(caller);
    if (!m_timer.active() && !m_timer.starting())
        keepAwake();
    return true;
}

void CallerHolds::remove(const QString &caller)
{
    if (!m_callers.remove(caller))
        return;
    m_watcher.removeWatchedService(caller);
    if (!m_callers.isEmpty())
        return;
    if (m_ownPeriod == m_timer.periodSerial())
        m_timer.stop();
    m_ownPeriod.reset();
}

void CallerHolds::keepAwake()
{
    m_timer.start(WakeDuration::indefinite());
    m_ownPeriod = m_timer.periodSerial();
}
