// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/TerminationGuard.h"

#include "wake/PowerAssertionManager.h"
#include "wake/ShutdownDelayLock.h"
#include "wake/SignalNotifier.h"
#include "wake/SystemEvents.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {
// The exit hook runs on whichever thread calls exit(), possibly while the main thread
// destroys the guard: the lock makes the hook see either a whole guard or none.
std::mutex currentLock;
TerminationGuard *current = nullptr;
bool hookRegistered = false;
} // namespace

// A hook given to exit() cannot be taken back, so it is registered once per process and
// looks up the guard of the moment.
void releaseGuardedOnExit()
{
    const std::lock_guard lock(currentLock);
    if (current)
        current->releaseBeforeLeaving();
}

TerminationGuard::TerminationGuard(Parts parts) : m_parts(std::move(parts))
{
    {
        const std::lock_guard lock(currentLock);
        Q_ASSERT_X(!current, "TerminationGuard", "one guard at a time");
        current = this;
        if (!hookRegistered)
            hookRegistered = std::atexit(releaseGuardedOnExit) == 0;
    }

    if (m_parts.handleSignals) {
        SignalNotifier &notifier = SignalNotifier::shared();
        for (const int signalNumber : handledSignals)
            notifier.watch(signalNumber);
        m_connections.push_back(QObject::connect(&notifier, &SignalNotifier::received, &notifier, [this](int received) {
            if (std::find(handledSignals.begin(), handledSignals.end(), received) == handledSignals.end())
                return;
            releaseBeforeLeaving();
            // Not exit(): it would run static destructors under the live application (a
            // crash when a signal comes during start-up).
            std::fflush(nullptr);
            std::quick_exit(0);
        }));
    }

    QCoreApplication *app = QCoreApplication::instance();
    m_connections.push_back(
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { releaseBeforeLeaving(); }));
    PowerAssertionManager *power = &m_parts.power;
    ShutdownDelayLock *delayLock = m_parts.delayLock;
    m_connections.push_back(
        QObject::connect(&m_parts.events, &SystemEvents::willPowerOff, &m_parts.events, [power, delayLock] {
            power->release();
            // Only now may logind go ahead.
            if (delayLock)
                delayLock->letGo();
        }));
}

TerminationGuard::~TerminationGuard()
{
    for (const QMetaObject::Connection &connection : m_connections)
        QObject::disconnect(connection);
    // Leaving its owner is one more way out: what is held goes back before the parts do.
    releaseBeforeLeaving();
    const std::lock_guard lock(currentLock);
    if (current == this)
        current = nullptr;
}

void TerminationGuard::releaseBeforeLeaving()
{
    m_parts.power.release();
    if (m_parts.afterRelease)
        m_parts.afterRelease();
}
