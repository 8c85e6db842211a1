// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/XEmbedTrayWatcher.h"

#include "wake/Logging.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <X11/Xlib.h>

// The atoms and the root window's event mask through Xlib, as X11WindowEffects asks the
// same server about the same tray selection; the announcement itself arrives as an xcb event.
XEmbedTrayWatcher::XEmbedTrayWatcher(QObject *parent) : QObject(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display *dpy = x11 ? x11->display() : nullptr;
    if (!dpy)
        return;
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    m_manager = XInternAtom(dpy, "MANAGER", False);
    m_selection = XInternAtom(dpy, ("_NET_SYSTEM_TRAY_S" + QByteArray::number(screen)).constData(), False);
    // The message goes to the root window with StructureNotifyMask. Qt selects that mask
    // there itself today; added to what is selected, not put in its place, so that Qt's own
    // events on the root window keep coming.
    XWindowAttributes attributes;
    const long mask = XGetWindowAttributes(dpy, root, &attributes) ? attributes.your_event_mask : 0;
    if (!(mask & StructureNotifyMask)) {
        XSelectInput(dpy, root, mask | StructureNotifyMask);
        XFlush(dpy);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

XEmbedTrayWatcher::~XEmbedTrayWatcher()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool XEmbedTrayWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    auto *client = reinterpret_cast<xcb_client_message_event_t *>(event);
    if (client->type != m_manager || client->format != 32 || client->data.data32[1] != m_selection)
        return false;
    qCDebug(lcTray) << "An XEmbed tray took the selection";
    QMetaObject::invokeMethod(this, &XEmbedTrayWatcher::trayAppeared, Qt::QueuedConnection);
    // Qt's own tray tracker, when there is one, hears of it too.
    return false;
}
