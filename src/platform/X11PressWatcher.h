// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QPoint>
#include <functional>

// Sees every mouse-button press on the X display while it is armed, without taking the press
// from the window it was aimed at. A passive grab on the root window in synchronous mode
// makes the server hand each press to us first, with the pointer frozen; we let it go on at
// once to the window under the pointer, as if we had never seen it. A pointer grab of our
// own would swallow the click that closes the panel; this does not.
class X11PressWatcher : public QAbstractNativeEventFilter {
public:
    X11PressWatcher();
    ~X11PressWatcher() override;
    X11PressWatcher(const X11PressWatcher &) = delete;
    X11PressWatcher &operator=(const X11PressWatcher &) = delete;

    // Called with the press's position on the screen (logical pixels), its button and the
    // modifiers held, before the press goes on. Answering true keeps it: it then reaches
    // nothing else (a press on our own tray icon, which the owner handles itself).
    std::function<bool(QPoint, Qt::MouseButton, Qt::KeyboardModifiers)> onPress;

    // False without X11, or where another client already holds such a grab (some window
    // managers do): then nothing is watched.
    bool arm();
    void disarm();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    bool m_armed = false;
    quint32 m_root = 0;
};
