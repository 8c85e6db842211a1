// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QVector>

class QWindow;

// The live blur behind the glass card. On X11 under KDE the compositor blurs what lies behind
// a window through the region in the window property _KDE_NET_WM_BLUR_BEHIND_REGION; other
// desktops get the card's tint layers alone, and without a compositor the card is opaque.
class X11WindowEffects {
public:
    // A compositor owns _NET_WM_CM_S<screen> on the X display the program uses.
    static bool compositorActive();
    // Whether an XEmbed tray owns the screen's _NET_SYSTEM_TRAY_S selection.
    static bool xembedTrayPresent();
    // A compositor runs and announces the blur property on the root window.
    static bool blurBehindSupported();

    // The rounded rectangle as rows of rectangles, in device pixels: what the blur region
    // property carries. A radius of 0 gives the rectangle itself.
    static QVector<QRect> roundedRects(const QRect &rect, double radius);

    // Blurs behind `rect` (device pixels of `window`) with rounded corners; returns false
    // where blur is not available.
    static bool applyBlurBehind(QWindow *window, const QRect &rect, double radius);
    static void clearBlurBehind(QWindow *window);

    // Cuts the window to `rects` (device pixels, window coordinates) with the X shape
    // extension: without a compositor a translucent window's clear pixels are black, so the
    // parts of the window outside the card must not be part of the window at all. An empty
    // list gives the window back its whole rectangle. Returns false where there is no X11.
    static bool setShape(QWindow *window, const QVector<QRect> &rects);
    // Limits where the window takes the pointer to `rects`, in the same terms; a press
    // anywhere else goes to what lies below, in the X server and in a compositing shell that
    // draws windows itself. An empty list gives the window back its whole rectangle.
    static bool setInputShape(QWindow *window, const QVector<QRect> &rects);

    // Tells the window manager that `margin` pixels on every side of a window are shadow,
    // not window: it keeps only the rest inside the work area, and lines that up with what
    // it places. Zero takes it back.
    static bool setFrameExtents(QWindow *window, int margin);
    // Gives a viewable window the X keyboard focus. A compositor that activates an Xwayland
    // window on request may leave the X focus where it was (on the pointer's window), and
    // keys would go wherever the pointer happens to be.
    static bool takeInputFocus(QWindow *window);
    // Keeps a window that is about to be mapped out of the taskbar and the pager.
    static bool skipTaskbarAndPager(QWindow *window);
    // Asks the window manager to give a mapped window the keyboard, as a pager or a taskbar
    // asks: a request on the program's own behalf may be refused as focus stealing, since
    // the click that opened it went to the shell, not to us.
    static bool activate(QWindow *window);
};
