// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

// A one-shot timer for the next scheduled update check, replaceable in tests.
class CheckTimer {
public:
    virtual ~CheckTimer() = default;
    // Replaces any pending start.
    virtual void start(std::chrono::milliseconds delay, std::function<void()> onTimeout) = 0;
    virtual void stop() = 0;
};
