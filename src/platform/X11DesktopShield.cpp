// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/X11DesktopShield.h"

#include <QGuiApplication>
#include <QRect>
#include <QtGui/qguiapplication_platform.h>
#include <array>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>
#include <xcb/xproto.h>

namespace {

xcb_connection_t *connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, false, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

xcb_visualid_t argbVisual(xcb_screen_t *screen)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        if (depths.data->depth != 32)
            continue;
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals))
            if (visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR)
                return visuals.data->visual_id;
    }
    return XCB_NONE;
}

} // namespace

X11DesktopShield::~X11DesktopShield()
{
    xcb_connection_t *c = connection();
    if (!c || !m_window)
        return;
    xcb_destroy_window(c, m_window);
    xcb_free_colormap(c, m_colormap);
    xcb_flush(c);
}

bool X11DesktopShield::create()
{
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_visualid_t visual = argbVisual(screen);
    if (visual == XCB_NONE)
        return false;
    m_colormap = xcb_generate_id(c);
    xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, m_colormap, screen->root, visual);
    m_window = xcb_generate_id(c);
    const QRect area(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    // Transparent black as its background: the server clears it to that, and nothing more is
    // ever drawn.
    const std::array<uint32_t, 3> values{0, 0, m_colormap};
    xcb_create_window(c, 32, m_window, screen->root, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                      uint16_t(area.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP, values.data());
    const xcb_atom_t atomType = XCB_ATOM_ATOM;
    const xcb_atom_t desktopType = atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom(c, "_NET_WM_WINDOW_TYPE"), atomType, 32, 1,
                        &desktopType);
    const std::array<xcb_atom_t, 2> states{atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom(c, "_NET_WM_STATE"), atomType, 32,
                        uint32_t(states.size()), states.data());
    // WM_HINTS with input false: a click on it must not take the keyboard from the panel
    // before the panel has seen that click.
    const std::array<uint32_t, 9> hints{1 /* InputHint */, 0, 0, 0, 0, 0, 0, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        uint32_t(hints.size()), hints.data());
    // WM_NORMAL_HINTS with the position and size given by the program, kept as they are.
    std::array<uint32_t, 18> sizeHints{};
    sizeHints[0] = (1 << 2) | (1 << 3); // PPosition | PSize
    sizeHints[1] = uint32_t(area.x());
    sizeHints[2] = uint32_t(area.y());
    sizeHints[3] = uint32_t(area.width());
    sizeHints[4] = uint32_t(area.height());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32,
                        uint32_t(sizeHints.size()), sizeHints.data());
    static const char name[] = "Corvane";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(sizeof name - 1), name);
    static const char wmClass[] = "corvane\0Corvane";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(sizeof wmClass), wmClass);
    return true;
}

bool X11DesktopShield::show()
{
    if (m_shown)
        return true;
    xcb_connection_t *c = connection();
    if (!c || (!m_window && !create()))
        return false;
    // The screen as it is now: it grows and shrinks with the monitors plugged in.
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::array<uint32_t, 4> geometry{0, 0, screen->width_in_pixels, screen->height_in_pixels};
    if (xcb_get_geometry_reply_t *root = xcb_get_geometry_reply(c, xcb_get_geometry(c, screen->root), nullptr)) {
        geometry[2] = root->width;
        geometry[3] = root->height;
        std::free(root);
    }
    xcb_configure_window(c, m_window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         geometry.data());
    xcb_map_window(c, m_window);
    xcb_flush(c);
    m_shown = true;
    return true;
}

void X11DesktopShield::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    if (xcb_connection_t *c = connection()) {
        xcb_unmap_window(c, m_window);
        xcb_flush(c);
    }
}
