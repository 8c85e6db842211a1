// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AbstractTrayIcon.h"

// Which tray, if any, shows the icon, from what the session has said so far. A watcher that
// is there may take a while to answer at session start, and its answer decides; without
// one, a short wait passes before the icon counts as shown nowhere.
class TrayHostDetection {
public:
    struct Seen {
        // org.kde.StatusNotifierWatcher answered our registration.
        bool watcherAnswered = false;
        // A host (a panel that shows items) is registered with the watcher.
        bool statusNotifierHost = false;
        // Someone owns org.kde.StatusNotifierWatcher.
        bool watcherOwned = false;
        // Someone owns the X11 selection _NET_SYSTEM_TRAY_S0.
        bool xembedTray = false;
        // The start-up wait for a watcher is over.
        bool waited = false;
    };

    static AbstractTrayIcon::Host host(const Seen &seen);
};
