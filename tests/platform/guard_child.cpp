// SPDX-License-Identifier: GPL-3.0-or-later
// A process that installs the termination guard over a recording backend, then does what
// its argument says; on the way out it prints every backend call, one a line.
//   held          hold an assertion and wait to be signalled
//   exit-thread   hold an assertion and call exit(7) from another thread
//   quit          hold an assertion and quit the application normally
#include "RecordingInhibitor.h"
#include "wake/SystemEvents.h"
#include "wake/PowerAssertionManager.h"
#include "wake/TerminationGuard.h"

#include <QCoreApplication>
#include <QTimer>
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
    const QString mode = app.arguments().value(1);
    backend = new RecordingInhibitor;
    auto *power = new PowerAssertionManager(*backend);
    auto *events = new SystemEvents(&app);
    std::atexit(printCalls);
    std::at_quick_exit(printCalls);

    TerminationGuard::install({*power, *events});

    power->acquire(AssertionMode::systemOnly, QStringLiteral("child"));

    if (mode == QLatin1String("exit-thread")) {
        std::thread([] { std::exit(7); }).detach();
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    if (mode == QLatin1String("quit"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    else
        QTimer::singleShot(0, &app, [] {
            std::printf("ready\n");
            std::fflush(stdout);
        });
    return app.exec();
}
