// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/GlobalShortcut.h"

#include <memory>

class BusConnections;
class DesktopEnvironment;

// Picks where this desktop keeps global shortcuts: kglobalaccel on KDE, a gsd-media-keys
// custom keybinding on GNOME, xfconf on XFCE, the desktop portal's GlobalShortcuts in any
// other Wayland session, a grab on the X root window in any other X11 session.
class GlobalShortcutFactory {
public:
    // What GNOME and XFCE run when the keys are pressed.
    static inline const QString toggleCommand = QStringLiteral("corvane --toggle");

    // Null where there is no place for one: another desktop's Wayland session whose portal
    // has no GlobalShortcuts, where only X windows would see a root-window grab.
    static std::unique_ptr<GlobalShortcut> create(const DesktopEnvironment &desktop, BusConnections &buses);
};
