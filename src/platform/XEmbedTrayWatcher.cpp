// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/XEmbedTrayWatcher.h"

#include "wake/Logging.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdlib>
#include <memory>

#include <X11/Xlib.h>

namespace {

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t *c, const QByteArray &name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, false, quint16(name.size()), name.constData()), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

XEmbedTrayWatcher::XEmbedTrayWatcher(QObject *parent) : QObject(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    const int screen = XDefaultScreen(x11->display());
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    m_manager = atom(c, "MANAGER");
    m_selection = atom(c, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen));
    // The message goes to the root window with StructureNotifyMask. Qt selects that mask
    // there itself today; added to what is selected, not put in its place, so that Qt's own
    // events on the root window keep coming.
    const XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr), &std::free);
    const quint32 mask = attributes ? attributes->your_event_mask : 0;
    if (!(mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY)) {
        const quint32 wanted = mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &wanted);
        xcb_flush(c);
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
