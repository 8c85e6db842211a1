// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/GlobalShortcut.h"

#include <QKeyCombination>
#include <QVector>

class QSocketNotifier;
struct xcb_connection_t;

// The shortcut as a passive key grab on the X root window, for desktops without a shortcut
// service of their own. It holds its own X connection, so it hears the keys whatever Qt's
// platform plugin is. Grabbed with and without Num Lock and Caps Lock, which X counts as
// modifiers: a shortcut must not stop working because a lock is on.
class X11KeyGrab : public GlobalShortcut {
    Q_OBJECT
public:
    // Connects to DISPLAY; without one every bind() is refused.
    explicit X11KeyGrab(QObject *parent = nullptr);
    ~X11KeyGrab() override;

    QString bind(const QString &keys) override;
    // Lets go of the keys while suspended and grabs them again after.
    void setSuspended(bool suspended) override;

private:
    void release();
    void readEvents();
    quint8 keycodeFor(unsigned keysym, quint16 *numLockMask);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    QSocketNotifier *m_notifier = nullptr;
    quint8 m_keycode = 0;
    quint16 m_modifiers = 0;
    QVector<quint16> m_grabbed; // the modifier sets held, locks included
    QString m_keys;
};
