// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LinuxInhibitors.h"
#include "platform/LogindShutdownDelayLock.h"
#include "platform/LogindSystemEvents.h"
#include "wake/PowerAssertionManager.h"
#include "wake/SystemClock.h"

#include <QCoreApplication>

// The platform's inhibitors behind the one assertion manager: what the tray application
// and the command line without a tray both hold their inhibition through.
struct PowerLayer {
    SystemClock clock;
    LinuxInhibitors inhibitors{LinuxInhibitors::Desktop::current(), clock, InhibitorChain::Timing{}};
    LogindSystemEvents events{inhibitors.buses()};
    LogindShutdownDelayLock delayLock{events, inhibitors.buses()};
    PowerAssertionManager manager{inhibitors.chain(), &delayLock, clock};

    // The exit hook may release after main() has returned, so the layer is never torn
    // down: this is the one object the process keeps past its composition root.
    static PowerLayer &build();
};

// After a release on the way out: waits briefly until the release has left for the bus.
// After main() has returned there is no application object to talk over any more.
inline void flushOnTheWayOut(BusConnections &buses)
{
    if (QCoreApplication::instance())
        buses.flush(250);
}
