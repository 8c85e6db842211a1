// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RecordingInhibitor.h"
#include "Fakes.h"
#include "ManualClock.h"
#include "wake/SystemEvents.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <memory>

// Everything a timer service stands on, as fakes the test controls: a backend that records
// and refuses on demand, settings in memory, and a clock that moves only when told to.
struct TimerRig {
    ManualClock clock;
    RecordingInhibitor backend;
    PowerAssertionManager manager{backend, nullptr, clock};
    MemorySettingsStore settings;
    SystemEvents events;

    std::unique_ptr<CorvaneTimerService> make()
    {
        return std::make_unique<CorvaneTimerService>(manager, settings, TimerServiceEnvironment{clock, events});
    }
};
