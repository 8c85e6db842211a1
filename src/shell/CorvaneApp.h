// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's entry: one process-wide application that opens no window of its own;
// everything lives in the tray. A second launch in the same session hands over to the
// running instance and ends.
#include <QDBusConnection>
#include <functional>

class AppDelegate;

// In the executable's main file: the loader runs this entry before Qt's own initialisers
// (tens of milliseconds), leaving only its own mapping and relocation uncovered.
#define CORVANE_CATCH_SIGNALS_FIRST                                                                                    \
    [[gnu::used, gnu::section(".preinit_array")]] static void (*const corvaneCatchSignalsFirst)(                       \
        int, char **, char **) = &CorvaneApp::catchSignalsEarly;

class CorvaneApp {
public:
    // `onLaunched` runs once launching has finished; builds of the program for tests use it
    // to reach the delegate, and to serve more on the connection that owns the program's name.
    static int run(int argc, char **argv, const std::function<void(AppDelegate &, QDBusConnection)> &onLaunched = {});

    // From now on SIGTERM, SIGINT, SIGHUP and SIGQUIT wait in the self-pipe for the
    // termination guard. Uses the C library alone, so an executable can run it from its
    // .preinit_array, before any shared library's initialiser (see CORVANE_CATCH_SIGNALS_FIRST).
    static void catchSignalsEarly(int = 0, char ** = nullptr, char ** = nullptr);

    CorvaneApp() = delete;
};
