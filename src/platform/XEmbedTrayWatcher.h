// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// Tells when an XEmbed tray takes the screen's _NET_SYSTEM_TRAY_S selection. A tray that
// does so announces itself with a MANAGER client message to the root window, so waiting for
// a panel started later costs nothing until it comes: no asking the X server again and again.
class XEmbedTrayWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Watches from now on; without X11 it never reports anything.
    explicit XEmbedTrayWatcher(QObject *parent = nullptr);
    ~XEmbedTrayWatcher() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    // A tray now owns the selection. Emitted on a later turn of the event loop, not inside
    // the X event.
    void trayAppeared();

private:
    quint32 m_manager = 0;
    quint32 m_selection = 0;
};
