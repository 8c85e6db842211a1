// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Asks the system to wait, briefly, before powering off, so the inhibition can be given
// back first. Main thread only.
class ShutdownDelayLock {
public:
    virtual ~ShutdownDelayLock() = default;
    // Holds the lock from now on; a refusal is absorbed.
    virtual void arm() = 0;
    // Lets go of the lock for the power-off under way; a called-off power-off takes it again.
    virtual void letGo() = 0;
    // No longer wanted: gives it back and does not take it again.
    virtual void disarm() = 0;
};
