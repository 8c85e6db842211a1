// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/X11KeyGrab.h"

#include "platform/ShortcutNotation.h"
#include "wake/Logging.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr quint8 badAccess = 10;

quint16 maskFor(Qt::KeyboardModifiers m)
{
    quint16 mask = 0;
    if (m & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (m & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (m & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (m & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

} // namespace

X11KeyGrab::X11KeyGrab(QObject *parent) : GlobalShortcut(parent)
{
    int screen = 0;
    m_connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11KeyGrab::readEvents);
}

X11KeyGrab::~X11KeyGrab()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

quint8 X11KeyGrab::keycodeFor(unsigned keysym, quint16 *numLockMask)
{
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const quint8 first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(m_connection, xcb_get_keyboard_mapping(m_connection, first, count), nullptr),
        &std::free);
    if (!mapping)
        return 0;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perCode = mapping->keysyms_per_keycode;
    auto find = [&](unsigned sym) -> quint8 {
        for (int code = 0; code < count; ++code) {
            for (int col = 0; col < perCode; ++col) {
                if (syms[code * perCode + col] == sym)
                    return quint8(first + code);
            }
        }
        return 0;
    };
    const quint8 keycode = find(keysym);
    // Whichever modifier Num Lock sits on in this keymap (Mod2 almost always).
    *numLockMask = 0;
    const quint8 numLock = find(XK_Num_Lock);
    Reply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr), &std::free);
    if (numLock && modifiers) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(modifiers.get());
        const int perModifier = modifiers->keycodes_per_modifier;
        for (int mod = 0; mod < 8; ++mod) {
            for (int i = 0; i < perModifier; ++i) {
                if (codes[mod * perModifier + i] == numLock)
                    *numLockMask = quint16(1 << mod);
            }
        }
    }
    return keycode;
}

void X11KeyGrab::setSuspended(bool suspended)
{
    if (suspended == isSuspended())
        return;
    GlobalShortcut::setSuspended(suspended);
    const QString keys = m_keys;
    const QString refusal = bind(suspended ? QString() : keys);
    m_keys = keys;
    if (!refusal.isEmpty())
        qCWarning(lcSettings) << "The toggle shortcut could not be grabbed again:" << refusal;
}

QString X11KeyGrab::bind(const QString &keys)
{
    release();
    m_keys.clear();
    if (keys.isEmpty())
        return {};
    if (!m_connection)
        return tr("There is no X display to register the shortcut with.");
    const QKeyCombination combination = ShortcutNotation::fromPortableText(keys);
    const QString name = ShortcutNotation::keysymName(combination.key());
    const KeySym keysym = name.isEmpty() ? NoSymbol : XStringToKeysym(name.toLatin1().constData());
    quint16 numLock = 0;
    const quint8 keycode = keysym == NoSymbol ? 0 : keycodeFor(unsigned(keysym), &numLock);
    if (!keycode)
        return tr("The keyboard has no key for %1.").arg(keys);

    const quint16 modifiers = maskFor(combination.keyboardModifiers());
    QVector<quint16> variants{0, XCB_MOD_MASK_LOCK};
    if (numLock)
        variants << numLock << quint16(numLock | XCB_MOD_MASK_LOCK);
    bool taken = false;
    for (const quint16 lock : variants) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 1, m_root, modifiers | lock, keycode,
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            taken = error->error_code == badAccess;
            qCDebug(lcSettings) << "X refused the grab of" << keys << "error" << error->error_code;
            std::free(error);
            break;
        }
        m_grabbed << quint16(modifiers | lock);
    }
    m_keycode = keycode;
    m_modifiers = modifiers;
    if (m_grabbed.size() != variants.size()) {
        release();
        return taken ? tr("%1 is already used by another program.").arg(keys)
                     : tr("The X server refused %1.").arg(keys);
    }
    // Waiting for the answers may have read a press into the connection's queue, which the
    // socket no longer announces.
    QMetaObject::invokeMethod(this, &X11KeyGrab::readEvents, Qt::QueuedConnection);
    m_keys = keys;
    return {};
}

void X11KeyGrab::release()
{
    if (!m_connection)
        return;
    for (const quint16 mods : std::as_const(m_grabbed))
        xcb_ungrab_key(m_connection, m_keycode, m_root, mods);
    m_grabbed.clear();
    xcb_flush(m_connection);
}

void X11KeyGrab::readEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            const auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
            if (press->detail == m_keycode && m_grabbed.contains(quint16(press->state & 0xff)))
                Q_EMIT activated();
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        // The X server went away; nothing more will come.
        m_notifier->setEnabled(false);
    }
}
