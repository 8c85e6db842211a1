// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// A clear window laid over the desktop's background and under every other window, while
// it is shown. GNOME Shell on Wayland draws the background itself and keeps the keyboard
// where it was when the user clicks it, so an X client learns nothing of that click. Over
// this window the click goes through the X server instead, where a press watcher sees it.
// The window manager keeps it at the bottom, out of the taskbar and the window switcher,
// and never gives it the keyboard.
class X11DesktopShield {
public:
    X11DesktopShield() = default;
    ~X11DesktopShield();
    X11DesktopShield(const X11DesktopShield &) = delete;
    X11DesktopShield &operator=(const X11DesktopShield &) = delete;

    // Covers the whole X screen, every monitor of it. False without X11 or without a visual
    // with an alpha channel, which a clear window needs.
    bool show();
    void hide();
    bool isShown() const { return m_shown; }

private:
    bool create();

    quint32 m_window = 0;
    quint32 m_colormap = 0;
    bool m_shown = false;
};
