// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RecordingInhibitor.h"
#include "Fakes.h"
#include "wake/SystemEvents.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <memory>

// Everything a timer service stands on, as fakes the test controls: a backend that records
// and refuses on demand, settings in memory, and a clock and tickers that move only when
// told to.
struct TimerRig {
    RecordingInhibitor backend;
    PowerAssertionManager manager{backend};
    MemorySettingsStore settings;
    FakeClock clock;
    FakeTickers tickers;
    SystemEvents events;

    std::unique_ptr<CorvaneTimerService> make()
    {
        return std::make_unique<CorvaneTimerService>(manager, settings,
                                                     TimerServiceEnvironment{clock, tickers.factory(), events});
    }
};
