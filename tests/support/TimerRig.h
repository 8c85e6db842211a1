// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Fakes.h"
#include "ManualClock.h"
#include "RecordingInhibitor.h"
#include "wake/SystemEvents.h"
#include "wake/WakeStack.h"

#include <memory>

// Everything a timer service stands on, as fakes the test controls: a backend that records
// and refuses on demand, settings in memory, and a clock that moves only when told to.
// make() builds the wake stack on them as the program builds its own, without the
// termination guard (a test process has its own ways out).
struct TimerRig {
    ManualClock clock;
    RecordingInhibitor backend;
    MemorySettingsStore settings;
    SystemEvents events;

    // A built stack, used as its timer service; destroying it releases what it holds.
    struct Stack {
        std::unique_ptr<WakeStack> stack;
        CorvaneTimerService *get() const { return &stack->timer(); }
        CorvaneTimerService *operator->() const { return get(); }
        CorvaneTimerService &operator*() const { return *get(); }
        PowerAssertionManager &manager() const { return stack->manager(); }
    };

    // Reads the settings as they are now, as the program does at launch.
    Stack make()
    {
        return {std::make_unique<WakeStack>(
            WakeStack::Parts{backend, nullptr, settings, TimerServiceEnvironment{clock, events}})};
    }
};
