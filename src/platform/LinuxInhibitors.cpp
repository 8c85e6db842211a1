// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LinuxInhibitors.h"

#include "platform/FreedesktopInhibitor.h"
#include "platform/GnomeSessionInhibitor.h"
#include "platform/KdeInhibitor.h"
#include "platform/LogindInhibitor.h"
#include "platform/PortalInhibitor.h"
#include "platform/XfceInhibitor.h"

LinuxInhibitors::LinuxInhibitors(DesktopEnvironment desktop, Clock &clock, InhibitorChain::Timing timing,
                                 QObject *parent)
    : QObject(parent),
      m_desktop(desktop),
      m_gnome(new GnomeSessionInhibitor(m_buses, this)),
      m_kde(new KdeInhibitor(m_buses, clock, 5500, this)),
      m_freedesktop(new FreedesktopInhibitor(m_buses, FreedesktopInhibitor::freedesktopScreenSaver(),
                                             QStringLiteral("Screen Saver and Power Management"), this)),
      m_portal(new PortalInhibitor(m_buses, this)),
      m_logind(new LogindInhibitor(m_buses, this)),
      m_xfce(new XfceInhibitor(m_buses, *m_logind, this))
{
    m_chain = std::make_unique<InhibitorChain>([this](AssertionMode mode) { return plan(mode); }, clock, timing);
}

LinuxInhibitors::~LinuxInhibitors() = default;

QList<Inhibitor *> LinuxInhibitors::plan(AssertionMode mode) const
{
    // Rows are mechanisms in order; a row applies when its condition holds for this desktop.
    struct Row {
        Inhibitor *mechanism;
        bool display;
        bool system;
        bool applies;
    };
    const bool sandboxed = m_desktop.sandboxed();
    const bool xfce = m_desktop.kind() == DesktopEnvironment::Kind::Xfce;
    // PowerManagement is not asked on XFCE: its power manager turns every inhibition into a
    // screen one, and keeps or crashes on one whose holder died.
    const Row rows[] = {
        {m_portal, true, true, sandboxed},  {m_gnome, true, true, true}, {m_kde, true, true, true},
        {m_portal, true, true, !sandboxed}, {m_xfce, true, false, xfce}, {m_freedesktop, true, true, !xfce},
        {m_logind, true, true, true},
    };
    QList<Inhibitor *> list;
    for (const Row &row : rows) {
        const bool forMode = mode == AssertionMode::displayAndSystem ? row.display : row.system;
        if (row.applies && forMode)
            list << row.mechanism;
    }
    return list;
}
