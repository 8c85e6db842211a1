// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

// Runs a function once on the main thread after a delay. Dropping the handle cancels it.
// Tests swap in a scheduler they advance by hand.
using DelayedCallHandle = std::shared_ptr<void>;
using DelayedCallScheduler = std::function<DelayedCallHandle(int delayMs, std::function<void()> call)>;

namespace DelayedCall {
// QTimer-backed: a delay of 0 runs on the next turn of the event loop.
DelayedCallScheduler mainThread();
} // namespace DelayedCall
