// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Inhibitor.h"

class LogindInhibitor;

// XFCE, display and system: the screen saver's org.freedesktop.ScreenSaver (xscreensaver-
// systemd, or xfce4-screensaver) together with logind's "idle:sleep" lock and the X screen
// saver suspended (which also stops the server's DPMS timers that xfce4-power-manager sets).
// "System only" is logind's "sleep" lock alone, so the screen still blanks.
//
// Never xfce4-power-manager's org.freedesktop.PowerManagement.Inhibit: 4.18 passes every
// inhibition it holds on to the screen saver (the screen stays on in "system only"), and a
// client that dies without UnInhibit crashes it or leaves the inhibition in place for good.
// What this holds instead goes with the process however it ends: the kernel closes the
// logind descriptor, the X server ends the suspension with the X connection, and the
// screen saver drops what a connection held when it leaves the bus.
//
// Each screen saver cookie is taken on a bus connection of its own: xscreensaver-systemd
// keys inhibitions by connection, and handing back the old cookie after taking the new one
// on the same connection loses both.
class XfceInhibitor : public Inhibitor {
    Q_OBJECT
public:
    XfceInhibitor(BusConnections &buses, LogindInhibitor &logind, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("XFCE screen saver and systemd-logind"); }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

private:
    BusConnections &m_buses;
    LogindInhibitor &m_logind;
};
