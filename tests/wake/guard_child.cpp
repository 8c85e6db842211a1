// SPDX-License-Identifier: GPL-3.0-or-later
// A process that builds the wake stack with its termination guard over a recording
// backend, holds an assertion, and calls exit(7) from another thread; on the way out it
// prints every backend call, one a line. Its argument says what happens before the exit:
// "held" nothing more, "torn down" the stack is destroyed first, "rebuilt" a second stack
// is built after the first is gone and holds in its turn.
#include "Fakes.h"
#include "RecordingInhibitor.h"
#include "wake/SystemClock.h"
#include "wake/SystemEvents.h"
#include "wake/WakeStack.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {
RecordingInhibitor *backend = nullptr;

extern "C" void printCalls()
{
    // Registered before the guard's hook, so it runs after it.
    std::lock_guard guard(backend->lock);
    for (const QString &line : std::as_const(backend->log))
        std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

struct Parts {
    MemorySettingsStore settings;
    SystemClock clock;
    SystemEvents events;
};

// Reachable from here until the end, like the backend: the leak check at exit runs while
// main() sleeps, when a local pointer may no longer be seen.
Parts *keptParts = nullptr;

std::unique_ptr<WakeStack> holdingStack(Parts &parts)
{
    auto stack = std::make_unique<WakeStack>(
        WakeStack::Parts{*backend, nullptr, parts.settings, TimerServiceEnvironment{parts.clock, parts.events}},
        WakeStack::Guard::allWaysOut);
    stack->manager().acquire(AssertionMode::systemOnly, QStringLiteral("child"));
    return stack;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString what = app.arguments().value(1);
    // Never freed: the process ends through exit() while this runs.
    backend = new RecordingInhibitor;
    keptParts = new Parts;
    std::atexit(printCalls);

    std::unique_ptr<WakeStack> stack = holdingStack(*keptParts);
    if (what == QLatin1String("torn down")) {
        stack.reset();
    } else if (what == QLatin1String("rebuilt")) {
        stack.reset();
        stack = holdingStack(*keptParts);
    }

    std::thread([] { std::exit(7); }).detach();
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
