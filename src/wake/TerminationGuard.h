#pragma once

#include <array>
#include <csignal>

class PowerAssertionManager;
class ShutdownDelayLock;
class SystemEvents;

// Gives the held inhibition back on every way out of the process, not only on an orderly
// quit: on SIGTERM, SIGINT, SIGHUP and SIGQUIT (then exits with status 0), on exit(), when
// the application quits, and when the machine powers off. It talks to the assertion
// manager directly, never to the timer service. Installed once, on the main thread, once
// the event loop runs; there is no way back.
class TerminationGuard {
public:
    static constexpr std::array<int, 4> handledSignals{SIGTERM, SIGINT, SIGHUP, SIGQUIT};

    // What the guard acts on; tests replace them.
    struct Parts {
        PowerAssertionManager *power = nullptr; // default: PowerAssertionManager::shared()
        SystemEvents *events = nullptr;         // default: SystemEvents::shared()
        // Held so logind waits for the release before powering off; default: a logind
        // delay lock of the guard's own. Tests without a system bus may pass `noDelayLock`.
        ShutdownDelayLock *delayLock = nullptr;
        bool noDelayLock = false;
    };

    // Requires a QCoreApplication. A second call registers nothing more.
    static void install();
    static void install(const Parts &parts);

    static bool isInstalled() { return sourceCount() > 0; }
    // What install() registered: one source per handled signal, one observer each for
    // application quit and power-off, one exit hook.
    static int sourceCount();
    static int observerCount();
    static int exitHookCount();

    TerminationGuard() = delete;
};
