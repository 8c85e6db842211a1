#pragma once

#include "wake/PowerBackend.h"

#include <QStringList>
#include <chrono>
#include <memory>

// Inhibits idle sleep (and, for displayAndSystem, the screen saver and display sleep)
// through the first desktop service that accepts: the portal when sandboxed,
// gnome-session, KDE's screen saver, the portal, the freedesktop ScreenSaver and
// PowerManagement services, and logind last (GNOME never reads logind's locks).
//
// The work runs on a thread of its own so the portal's asynchronous answer can be waited
// for without re-entering the main loop; the caller waits at most `budget`. An answer that
// comes later than that is given back at once, so nothing is ever held that was reported
// as refused.
class LinuxPowerBackend : public PowerBackend {
public:
    struct Options {
        std::chrono::milliseconds budget{2000};
        // The most any one service may take to answer before the next one is tried.
        std::chrono::milliseconds perCall{700};
        // How long KDE's PowerDevil may take to put a new inhibition in force.
        std::chrono::milliseconds handover{5500};
    };

    LinuxPowerBackend();
    explicit LinuxPowerBackend(Options options);
    ~LinuxPowerBackend() override;

    std::optional<Id> acquire(AssertionMode mode, const QString &reason) override;
    void release(Id id) override;

    // The services that hold `id`, e.g. {"org.gnome.SessionManager"}; empty when unknown.
    QStringList servicesFor(Id id) const;

    class Worker;

private:
    const Options m_options;
    std::unique_ptr<Worker> m_worker;
};
