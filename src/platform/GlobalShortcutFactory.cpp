// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GlobalShortcutFactory.h"

#include "platform/BusConnections.h"
#include "platform/DesktopEnvironment.h"
#include "platform/GnomeCustomKeybinding.h"
#include "platform/KGlobalAccelShortcut.h"
#include "platform/PortalGlobalShortcut.h"
#include "platform/X11KeyGrab.h"
#include "platform/XfconfShortcut.h"

std::unique_ptr<GlobalShortcut> GlobalShortcutFactory::create(const DesktopEnvironment &desktop, BusConnections &buses)
{
    switch (desktop.kind()) {
    case DesktopEnvironment::Kind::Kde: return std::make_unique<KGlobalAccelShortcut>(buses);
    case DesktopEnvironment::Kind::Gnome: return std::make_unique<GnomeCustomKeybinding>(toggleCommand);
    case DesktopEnvironment::Kind::Xfce: return std::make_unique<XfconfShortcut>(buses, toggleCommand);
    case DesktopEnvironment::Kind::Other: break;
    }
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland) {
        // Only X windows would see a root-window grab here; the portal, where the desktop
        // has one, reaches the compositor.
        if (PortalGlobalShortcut::available(buses.connection(BusConnections::Bus::Session)))
            return std::make_unique<PortalGlobalShortcut>(buses);
        return nullptr;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    return std::make_unique<X11KeyGrab>();
}
