// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/DisplaySleeper.h"

#include <QObject>
#include <chrono>
#include <functional>

class QDBusMessage;
class QDBusPendingCall;

// Turns the display off through the first route the session offers: KDE's global
// shortcut "Turn Off Screen", GNOME Mutter's power-save mode, and last X11 DPMS. A route
// whose service is absent is skipped; one whose call fails hands over to the next.
// Everything is asynchronous; the DPMS route waits about half a second first, so that the
// release of the click that chose the command does not wake the screen again.
class LinuxDisplaySleeper : public QObject, public DisplaySleeper {
    Q_OBJECT
public:
    enum class Route { none, kdeGlobalAccel, gnomeMutter, x11Dpms };
    Q_ENUM(Route)

    struct Options {
        std::chrono::milliseconds x11Delay{500};
        // A desktop service that does not answer within this is passed over.
        std::chrono::milliseconds callTimeout{2000};
        // The X11 route; true when the display was told to go off.
        std::function<bool()> forceX11Off = &LinuxDisplaySleeper::forceOffWithDpms;
    };

    explicit LinuxDisplaySleeper(BusConnections &buses, QObject *parent = nullptr);
    LinuxDisplaySleeper(Options options, BusConnections &buses, QObject *parent = nullptr);

    void turnDisplayOffNow() override;

    // Asks the X server named by DISPLAY to turn its screens off through DPMS. False when
    // there is no X display or it has no DPMS (Xvfb, XWayland).
    static bool forceOffWithDpms();

Q_SIGNALS:
    // The end of one attempt: the route that took the command, or none.
    void finished(LinuxDisplaySleeper::Route route);

private:
    void tryKde();
    void tryGnome();
    void tryX11();
    void whenOwned(const QString &service, std::function<void()> present, std::function<void()> absent);
    void await(const QDBusPendingCall &call, std::function<void(const QDBusMessage &)> onReply);
    QDBusPendingCall asyncCall(const QDBusMessage &message);

    Options m_options;
    BusConnections &m_buses;
};
