// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaObject>
#include <array>
#include <csignal>
#include <functional>
#include <vector>

class PowerAssertionManager;
class ShutdownDelayLock;
class SystemEvents;

// Gives the held inhibition back on every way out of the process, not only on an orderly
// quit: on SIGTERM, SIGINT, SIGHUP and SIGQUIT (then leaves with status 0 through
// quick_exit(), which runs at_quick_exit hooks but no static destructors), on exit() from
// any thread, when the application quits, and when the machine powers off. It talks to the
// assertion manager directly, never to the timer service.
//
// WakeStack owns the one guard of a process, on the main thread. Destroying it releases
// and then disarms it, so an exit() after its owner is gone finds nothing to touch.
class TerminationGuard {
public:
    static constexpr std::array<int, 4> handledSignals{SIGTERM, SIGINT, SIGHUP, SIGQUIT};

    // What the guard acts on; they must outlive it.
    struct Parts {
        PowerAssertionManager &power;
        SystemEvents &events;
        // Held (by the assertion manager, while an inhibition is wanted) so the system
        // waits for the release before powering off; may be absent.
        ShutdownDelayLock *delayLock = nullptr;
        // False when the caller takes the signals over itself (to pass them on to a child)
        // and leaves through exit() or a quit, which the guard still covers.
        bool handleSignals = true;
        // Run after the release on the ways out of the process, before it ends: lets what
        // the release queued (messages to a desktop service) actually leave.
        std::function<void()> afterRelease = {};
    };

    // Requires a QCoreApplication. Only one guard may exist at a time.
    explicit TerminationGuard(Parts parts);
    ~TerminationGuard();
    TerminationGuard(const TerminationGuard &) = delete;
    TerminationGuard &operator=(const TerminationGuard &) = delete;

private:
    friend void releaseGuardedOnExit();
    void releaseBeforeLeaving();

    Parts m_parts;
    std::vector<QMetaObject::Connection> m_connections;
};
