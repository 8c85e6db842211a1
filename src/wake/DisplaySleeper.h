// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Puts the display to sleep at once, the way the "Turn Display Off Now" command asks for.
// Fire and forget: the call returns at once, never waits for the desktop, and a failure
// on the way is absorbed without a message.
class DisplaySleeper {
public:
    virtual ~DisplaySleeper() = default;
    virtual void turnDisplayOffNow() = 0;
};
