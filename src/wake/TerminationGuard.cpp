// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/TerminationGuard.h"

#include "wake/ShutdownDelayLock.h"
#include "wake/SignalNotifier.h"
#include "wake/SystemEvents.h"
#include "wake/PowerAssertionManager.h"

#include <QCoreApplication>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
// Only ever appended to, on the main thread, by install().
std::vector<QMetaObject::Connection> &sources()
{
    static std::vector<QMetaObject::Connection> list;
    return list;
}

std::vector<QMetaObject::Connection> &observers()
{
    static std::vector<QMetaObject::Connection> list;
    return list;
}

// Read by the exit hook on whichever thread calls exit(); set before the hook exists.
std::atomic<PowerAssertionManager *> guardedPower{nullptr};

// Set once by install(), before any way out can run it.
std::function<void()> &afterRelease()
{
    static std::function<void()> hook;
    return hook;
}

void releaseBeforeLeaving(PowerAssertionManager &power)
{
    power.release();
    if (afterRelease())
        afterRelease()();
}

void watchSignals(PowerAssertionManager &power)
{
    SignalNotifier &notifier = SignalNotifier::shared();
    for (const int signalNumber : TerminationGuard::handledSignals) {
        notifier.watch(signalNumber);
        sources().push_back(
            QObject::connect(&notifier, &SignalNotifier::received, &notifier, [&power, signalNumber](int received) {
                if (received != signalNumber)
                    return;
                releaseBeforeLeaving(power);
                // Not exit(): it would run static destructors
                // under the live application (a crash when
                // a signal comes during start-up).
                std::fflush(nullptr);
                std::quick_exit(0);
            }));
    }
}

extern "C" void releaseOnExit()
{
    if (PowerAssertionManager *power = guardedPower.load())
        releaseBeforeLeaving(*power);
}
} // namespace

void TerminationGuard::install(const Parts &parts)
{
    if (!observers().empty())
        return;
    PowerAssertionManager *power = &parts.power;
    SystemEvents *events = &parts.events;
    ShutdownDelayLock *delayLock = parts.delayLock;

    afterRelease() = parts.afterRelease;
    guardedPower.store(power);
    std::atexit(releaseOnExit);

    if (parts.handleSignals)
        watchSignals(*power);

    observers().push_back(QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                                           QCoreApplication::instance(), [power] { releaseBeforeLeaving(*power); }));
    observers().push_back(QObject::connect(events, &SystemEvents::willPowerOff, events, [power, delayLock] {
        power->release();
        // Only now may logind go ahead.
        if (delayLock)
            delayLock->letGo();
    }));
}

bool TerminationGuard::isInstalled()
{
    return !observers().empty();
}
