// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"

#include <QObject>
#include <functional>

// GNOME Shell's extensions as its org.gnome.Shell.Extensions interface tells of them:
// whether one is installed and turned on, and turning one on for the running shell, no
// restart needed. Every call is asynchronous; without GNOME Shell the answer is Unknown.
class GnomeShellExtensions : public QObject {
    Q_OBJECT
public:
    enum class State { Unknown, NotInstalled, Off, On, Broken };
    // The AppIndicator extension, which gives GNOME Shell a StatusNotifier host.
    static inline const QString appIndicator = QStringLiteral("ubuntu-appindicators@ubuntu.com");

    explicit GnomeShellExtensions(BusConnections &buses, QObject *parent = nullptr);

    void query(const QString &uuid, std::function<void(State)> onAnswer);
    // `onDone` gets whether the shell turned it on.
    void enable(const QString &uuid, std::function<void(bool)> onDone);

    // The state GetExtensionInfo's "state" value names (GNOME Shell's ExtensionState); an
    // empty answer means not installed.
    static State stateOf(const QVariantMap &info);

private:
    BusConnections &m_buses;
};
