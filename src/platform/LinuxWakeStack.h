// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LinuxInhibitors.h"
#include "platform/LogindShutdownDelayLock.h"
#include "platform/LogindSystemEvents.h"
#include "wake/SystemClock.h"
#include "wake/WakeStack.h"

// The wake stack on this desktop's inhibitors, logind's events and its shutdown delay
// lock, counting on the boot-time clock: what the tray program and the command line
// without a tray hold their inhibition through. It guards the process from its
// construction on, so only one may exist at a time. Main thread only.
class LinuxWakeStack {
public:
    LinuxWakeStack(SettingsStore &settings, WakeStack::Guard guard);

    PowerAssertionManager &manager() { return m_stack.manager(); }
    CorvaneTimerService &timer() { return m_stack.timer(); }
    BusConnections &buses() { return m_inhibitors.buses(); }
    Clock &clock() { return m_clock; }

private:
    // First: the inhibitors' retries and the timer's ticks run on it.
    SystemClock m_clock;
    LinuxInhibitors m_inhibitors;
    LogindSystemEvents m_events;
    LogindShutdownDelayLock m_delayLock;
    // Last, so it releases while the parts it releases through still exist.
    WakeStack m_stack;
};
