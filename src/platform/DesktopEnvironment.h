// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The desktop the program runs in, worked out once from what the session tells every
// program: XDG_CURRENT_DESKTOP (a colon-separated list, most specific first, such as
// "ubuntu:GNOME"), else DESKTOP_SESSION; and whether it runs in a Flatpak sandbox.
class DesktopEnvironment {
public:
    enum class Kind { Other, Kde, Gnome, Xfce };

    // This session's.
    static DesktopEnvironment current();
    // From the two variables' values; the first name that is a known desktop decides.
    static DesktopEnvironment fromNames(const QString &currentDesktop, const QString &desktopSession,
                                        bool sandboxed = false, bool wayland = false);

    Kind kind() const { return m_kind; }
    bool sandboxed() const { return m_sandboxed; }
    // Plasma's and XFCE's trays show no label beside a StatusNotifierItem.
    bool trayShowsLabel() const { return m_kind != Kind::Kde && m_kind != Kind::Xfce; }
    // A Wayland session (XDG_SESSION_TYPE=wayland, or WAYLAND_DISPLAY set), even when this
    // program runs through Xwayland: the compositor then neither focuses an unmanaged window
    // nor tells X clients of presses on Wayland surfaces, and keeps the modifiers from them.
    bool wayland() const { return m_wayland; }

private:
    Kind m_kind = Kind::Other;
    bool m_sandboxed = false;
    bool m_wayland = false;
};
