// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/X11WindowEffects.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <array>
#include <cmath>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace {

Display *x11Display()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

constexpr const char *blurAtomName = "_KDE_NET_WM_BLUR_BEHIND_REGION";

} // namespace

bool X11WindowEffects::compositorActive()
{
    Display *dpy = x11Display();
    if (!dpy)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    const Atom selection = XInternAtom(dpy, name.constData(), False);
    return XGetSelectionOwner(dpy, selection) != None;
}

bool X11WindowEffects::xembedTrayPresent()
{
    Display *dpy = x11Display();
    if (!dpy)
        return false;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(dpy));
    return XGetSelectionOwner(dpy, XInternAtom(dpy, name.constData(), False)) != None;
}

bool X11WindowEffects::blurBehindSupported()
{
    Display *dpy = x11Display();
    if (!dpy || !compositorActive())
        return false;
    const Atom blur = XInternAtom(dpy, blurAtomName, True);
    if (blur == None)
        return false;
    const Atom supported = XInternAtom(dpy, "_NET_SUPPORTED", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    bool found = false;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), supported, 0, 4096, False, XA_ATOM, &type, &format, &count,
                           &after, &data)
            == Success
        && data) {
        if (type == XA_ATOM && format == 32) {
            const auto *atoms = reinterpret_cast<const Atom *>(data);
            for (unsigned long i = 0; i < count && !found; ++i)
                found = atoms[i] == blur;
        }
        XFree(data);
    }
    return found;
}

QVector<QRect> X11WindowEffects::roundedRects(const QRect &rect, double radius)
{
    QVector<QRect> rows;
    if (rect.isEmpty())
        return rows;
    const int r = int(std::ceil(std::min({radius, rect.width() / 2.0, rect.height() / 2.0})));
    if (r <= 0) {
        rows.append(rect);
        return rows;
    }
    // One row per pixel line through the corners, one rectangle for the straight middle.
    auto insetAt = [&](int line) {
        const double dy = r - (line + 0.5);
        return int(std::round(r - std::sqrt(std::max(0.0, double(r) * r - dy * dy))));
    };
    for (int i = 0; i < r; ++i) {
        const int inset = insetAt(i);
        rows.append(QRect(rect.left() + inset, rect.top() + i, rect.width() - 2 * inset, 1));
    }
    if (rect.height() > 2 * r)
        rows.append(QRect(rect.left(), rect.top() + r, rect.width(), rect.height() - 2 * r));
    for (int i = r - 1; i >= 0; --i) {
        const int inset = insetAt(i);
        rows.append(QRect(rect.left() + inset, rect.bottom() - i, rect.width() - 2 * inset, 1));
    }
    return rows;
}

bool X11WindowEffects::applyBlurBehind(QWindow *window, const QRect &rect, double radius)
{
    Display *dpy = x11Display();
    if (!dpy || !window || !window->winId() || !blurBehindSupported())
        return false;
    QVector<long> data;
    for (const QRect &row : roundedRects(rect, radius))
        data << row.x() << row.y() << row.width() << row.height();
    const Atom blur = XInternAtom(dpy, blurAtomName, False);
    XChangeProperty(dpy, Window(window->winId()), blur, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(data.constData()), int(data.size()));
    XFlush(dpy);
    return true;
}

void X11WindowEffects::clearBlurBehind(QWindow *window)
{
    Display *dpy = x11Display();
    if (!dpy || !window || !window->winId())
        return;
    const Atom blur = XInternAtom(dpy, blurAtomName, True);
    if (blur == None)
        return;
    XDeleteProperty(dpy, Window(window->winId()), blur);
    XFlush(dpy);
}

namespace {
bool combineShape(QWindow *window, int kind, const QVector<QRect> &rects)
{
    Display *dpy = x11Display();
    if (!dpy || !window || !window->winId())
        return false;
    const Window id = Window(window->winId());
    if (rects.isEmpty()) {
        XShapeCombineMask(dpy, id, kind, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> xr;
        xr.reserve(size_t(rects.size()));
        for (const QRect &r : rects)
            xr.push_back({short(r.x()), short(r.y()), ushort(r.width()), ushort(r.height())});
        XShapeCombineRectangles(dpy, id, kind, 0, 0, xr.data(), int(xr.size()), ShapeSet, Unsorted);
    }
    XFlush(dpy);
    return true;
}
} // namespace

bool X11WindowEffects::setShape(QWindow *window, const QVector<QRect> &rects)
{
    return combineShape(window, ShapeBounding, rects);
}

bool X11WindowEffects::setInputShape(QWindow *window, const QVector<QRect> &rects)
{
    return combineShape(window, ShapeInput, rects);
}

namespace {
bool sendToRoot(Display *dpy, Window window, const char *type, const std::array<long, 5> &data)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(dpy, type, False);
    event.xclient.format = 32;
    for (size_t i = 0; i < data.size(); ++i)
        event.xclient.data.l[i] = data[i];
    const bool sent =
        XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &event) != 0;
    XFlush(dpy);
    return sent;
}
} // namespace

bool X11WindowEffects::skipTaskbarAndPager(QWindow *window)
{
    Display *dpy = x11Display();
    if (!dpy || !window || !window->winId())
        return false;
    // Set on the window itself: the window manager reads it when the window is mapped, and
    // Qt adds its own states to it then.
    const std::array<Atom, 2> states{XInternAtom(dpy, "_NET_WM_STATE_SKIP_TASKBAR", False),
                                     XInternAtom(dpy, "_NET_WM_STATE_SKIP_PAGER", False)};
    XChangeProperty(dpy, Window(window->winId()), XInternAtom(dpy, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(states.data()), int(states.size()));
    XFlush(dpy);
    return true;
}

bool X11WindowEffects::activate(QWindow *window)
{
    Display *dpy = x11Display();
    if (!dpy || !window || !window->winId())
        return false;
    constexpr long fromPager = 2;
    return sendToRoot(dpy, Window(window->winId()), "_NET_ACTIVE_WINDOW", {fromPager, CurrentTime, 0, 0, 0});
}

bool X11WindowEffects::setFrameExtents(QWindow *window, int margin)
{
    Display *dpy = x11Display();
    if (!dpy || !window || !window->winId())
        return false;
    const Atom extents = XInternAtom(dpy, "_GTK_FRAME_EXTENTS", False);
    if (margin <= 0) {
        XDeleteProperty(dpy, Window(window->winId()), extents);
    } else {
        const long device = std::lround(margin * window->devicePixelRatio());
        const std::array<long, 4> sides{device, device, device, device};
        XChangeProperty(dpy, Window(window->winId()), extents, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(sides.data()), int(sides.size()));
    }
    XFlush(dpy);
    return true;
}

bool X11WindowEffects::takeInputFocus(QWindow *window)
{
    Display *dpy = x11Display();
    if (!dpy || !window || !window->winId())
        return false;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(dpy, Window(window->winId()), &attributes) || attributes.map_state != IsViewable)
        return false;
    XSetInputFocus(dpy, Window(window->winId()), RevertToParent, CurrentTime);
    XFlush(dpy);
    return true;
}
