// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "platform/DesktopEnvironment.h"
#include "wake/InhibitorChain.h"

#include <memory>

class GnomeSessionInhibitor;
class KdeInhibitor;
class FreedesktopInhibitor;
class PortalInhibitor;
class LogindInhibitor;
class XfceInhibitor;

// Every inhibition mechanism of this desktop, and the order in which each mode tries them.
// The order is a table per desktop (see plan()); logind is always last, because GNOME never
// reads its locks.
class LinuxInhibitors : public QObject {
    Q_OBJECT
public:
    LinuxInhibitors(DesktopEnvironment desktop, Clock &clock, InhibitorChain::Timing timing, QObject *parent = nullptr);
    ~LinuxInhibitors() override;

    InhibitorChain &chain() { return *m_chain; }
    BusConnections &buses() { return m_buses; }
    QList<Inhibitor *> plan(AssertionMode mode) const;

private:
    const DesktopEnvironment m_desktop;
    BusConnections m_buses;
    GnomeSessionInhibitor *m_gnome;
    KdeInhibitor *m_kde;
    FreedesktopInhibitor *m_freedesktop;
    PortalInhibitor *m_portal;
    LogindInhibitor *m_logind;
    XfceInhibitor *m_xfce;
    std::unique_ptr<InhibitorChain> m_chain;
};
