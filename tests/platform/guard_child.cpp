// SPDX-License-Identifier: GPL-3.0-or-later
// A process that installs the termination guard over a recording backend, then does what
// holds an assertion and calls exit(7) from another thread; on the way out it prints every
// backend call, one a line.
#include "RecordingInhibitor.h"
#include "wake/SystemEvents.h"
#include "wake/PowerAssertionManager.h"
#include "wake/SystemClock.h"
#include "wake/TerminationGuard.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    backend = new RecordingInhibitor;
    auto *power = new PowerAssertionManager(*backend, nullptr, *new SystemClock);
    auto *events = new SystemEvents(&app);
    std::atexit(printCalls);
    std::at_quick_exit(printCalls);

    TerminationGuard::install({*power, *events});

    power->acquire(AssertionMode::systemOnly, QStringLiteral("child"));

    std::thread([] { std::exit(7); }).detach();
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
