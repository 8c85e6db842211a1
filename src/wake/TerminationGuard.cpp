#include "wake/TerminationGuard.h"

#include "platform/ShutdownDelayLock.h"
#include "platform/SignalNotifier.h"
#include "platform/SystemEvents.h"
#include "wake/PowerAssertionManager.h"

#include <QCoreApplication>
#include <atomic>
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

int exitHooks = 0;

// Read by the exit hook on whichever thread calls exit(); set before the hook exists.
std::atomic<PowerAssertionManager *> guardedPower{nullptr};

extern "C" void releaseOnExit()
{
    if (PowerAssertionManager *power = guardedPower.load())
        power->release();
}
} // namespace

void TerminationGuard::install()
{
    install(Parts{});
}

void TerminationGuard::install(const Parts &parts)
{
    if (!sources().empty())
        return;
    PowerAssertionManager *power = parts.power ? parts.power : &PowerAssertionManager::shared();
    SystemEvents *events = parts.events ? parts.events : &SystemEvents::shared();
    ShutdownDelayLock *delayLock = parts.delayLock;
    if (!delayLock && !parts.noDelayLock)
        delayLock = new ShutdownDelayLock(*events, QCoreApplication::instance());

    guardedPower.store(power);
    if (std::atexit(releaseOnExit) == 0)
        ++exitHooks;

    SignalNotifier &notifier = SignalNotifier::shared();
    for (const int signalNumber : handledSignals) {
        notifier.watch(signalNumber);
        sources().push_back(QObject::connect(&notifier, &SignalNotifier::received, &notifier,
                                             [power, signalNumber](int received) {
                                                 if (received != signalNumber)
                                                     return;
                                                 power->release();
                                                 std::exit(0);
                                             }));
    }

    observers().push_back(QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                                           QCoreApplication::instance(), [power] { power->release(); }));
    observers().push_back(QObject::connect(events, &SystemEvents::willPowerOff, events, [power, delayLock] {
        power->release();
        // Only now may logind go ahead.
        if (delayLock)
            delayLock->letGo();
    }));
    if (delayLock)
        delayLock->arm();
}

int TerminationGuard::sourceCount()
{
    return int(sources().size());
}

int TerminationGuard::observerCount()
{
    return int(observers().size());
}

int TerminationGuard::exitHookCount()
{
    return exitHooks;
}
