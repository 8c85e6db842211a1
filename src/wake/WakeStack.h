// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"
#include "wake/TerminationGuard.h"

#include <functional>
#include <optional>

class Inhibitor;
class SettingsStore;
class ShutdownDelayLock;

// The wake engine assembled over the platform's parts: the assertion manager on the
// inhibitor chain, the timer service on the manager, and, where the stack guards the
// process, its one termination guard. The tray program, the command line without a tray
// and the tests all build it here. Main thread only.
class WakeStack {
public:
    // What the stack stands on; each must outlive it.
    struct Parts {
        Inhibitor &inhibitor;
        // May be absent: then a power-off does not wait for the release.
        ShutdownDelayLock *delayLock;
        SettingsStore &settings;
        TimerServiceEnvironment environment;
    };

    enum class Guard {
        none, // tests that drive the engine alone
        allWaysOut, // signals, exit(), quitting, power-off
        allButSignals, // the caller passes signals on to a child itself
    };

    // With a guard, requires a QCoreApplication, and no other guarding stack may exist.
    // `afterRelease` runs after each release on a way out (see TerminationGuard).
    explicit WakeStack(Parts parts, Guard guard = Guard::none, std::function<void()> afterRelease = {});
    // Releases what is held before any part goes.
    ~WakeStack();
    WakeStack(const WakeStack &) = delete;
    WakeStack &operator=(const WakeStack &) = delete;

    PowerAssertionManager &manager() { return m_manager; }
    CorvaneTimerService &timer() { return m_timer; }

private:
    PowerAssertionManager m_manager;
    CorvaneTimerService m_timer;
    // Last, so it goes first and disarms while what it releases through still exists.
    std::optional<TerminationGuard> m_guard;
};
