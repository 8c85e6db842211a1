// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/GlobalShortcut.h"

class BusConnections;

// XFCE's keyboard shortcuts: a command under /commands/custom/<accelerator> in the xfconf
// channel xfce4-keyboard-shortcuts, which xfsettingsd grabs and runs. Every entry that
// runs our command is ours: registering replaces them, clearing removes them all. A user
// who never changed a shortcut has no custom set yet; registering makes one from XFCE's
// defaults first, as XFCE's own settings do, or XFCE would replace it at the next login.
class XfconfShortcut : public GlobalShortcut {
    Q_OBJECT
public:
    XfconfShortcut(BusConnections &buses, const QString &command, QObject *parent = nullptr);

    QString bind(const QString &keys) override;
    // The desktop's settings keep the shortcut: nothing to do at launch.
    QString restore(const QString &) override { return {}; }

private:
    BusConnections &m_buses;
    QString m_command;
};
