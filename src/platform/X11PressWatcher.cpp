// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/X11PressWatcher.h"

#include "wake/Logging.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdlib>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

Qt::MouseButton buttonFor(quint8 detail)
{
    switch (detail) {
    case 1: return Qt::LeftButton;
    case 2: return Qt::MiddleButton;
    case 3: return Qt::RightButton;
    default: return Qt::NoButton;
    }
}

Qt::KeyboardModifiers modifiersFor(quint16 state)
{
    Qt::KeyboardModifiers m;
    if (state & XCB_MOD_MASK_SHIFT)
        m |= Qt::ShiftModifier;
    if (state & XCB_MOD_MASK_CONTROL)
        m |= Qt::ControlModifier;
    if (state & XCB_MOD_MASK_1)
        m |= Qt::AltModifier;
    if (state & XCB_MOD_MASK_4)
        m |= Qt::MetaModifier;
    return m;
}

} // namespace

X11PressWatcher::X11PressWatcher() = default;

X11PressWatcher::~X11PressWatcher()
{
    disarm();
}

bool X11PressWatcher::arm()
{
    if (m_armed)
        return true;
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_void_cookie_t cookie =
        xcb_grab_button_checked(c, false, m_root, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_SYNC, XCB_GRAB_MODE_ASYNC,
                                XCB_NONE, XCB_NONE, XCB_BUTTON_INDEX_ANY, XCB_MOD_MASK_ANY);
    if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
        qCDebug(lcPanel) << "Cannot watch presses outside the panel (X error" << error->error_code
                         << "); it closes when it loses the focus";
        std::free(error);
        return false;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_armed = true;
    return true;
}

void X11PressWatcher::disarm()
{
    if (!m_armed)
        return;
    m_armed = false;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (xcb_connection_t *c = connection()) {
        xcb_ungrab_button(c, XCB_BUTTON_INDEX_ANY, m_root, XCB_MOD_MASK_ANY);
        xcb_flush(c);
    }
}

bool X11PressWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_armed || eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const int type = event->response_type & 0x7f;
    if (type != XCB_BUTTON_PRESS && type != XCB_BUTTON_RELEASE)
        return false;
    auto *press = reinterpret_cast<xcb_button_press_event_t *>(event);
    if (press->event != m_root)
        return false;
    if (type == XCB_BUTTON_RELEASE)
        return true; // the end of a press we kept
    const QPoint device(press->root_x, press->root_y);
    QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpr = screen ? screen->devicePixelRatio() : 1.0;
    const QPoint at = dpr == 1.0 ? device : (QPointF(device) / dpr).toPoint();
    const bool keep = onPress && onPress(at, buttonFor(press->detail), modifiersFor(press->state));
    // The pointer stays frozen until we answer: replayed, the press goes on to the window it
    // was aimed at as if we had never seen it; kept, it and its release come to us alone.
    xcb_connection_t *c = connection();
    xcb_allow_events(c, keep ? XCB_ALLOW_ASYNC_POINTER : XCB_ALLOW_REPLAY_POINTER, press->time);
    xcb_flush(c);
    return true;
}
