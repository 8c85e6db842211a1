// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/GlobalShortcut.h"

#include <QDBusMessage>
#include <QStringList>

class BusConnections;

// KDE's global shortcuts: the action "toggle" of our own component "corvane" in
// kglobalaccel, which grabs the keys (on Wayland too) and tells the component's object
// when they are pressed. The shortcut then shows, and can be changed, in KDE's shortcut settings.
class KGlobalAccelShortcut : public GlobalShortcut {
    Q_OBJECT
public:
    explicit KGlobalAccelShortcut(BusConnections &buses, QObject *parent = nullptr);
    ~KGlobalAccelShortcut() override;

    QString bind(const QString &keys) override;
    // Keys the user gave the action in KDE's shortcut settings since win over the kept ones.
    QString restore(const QString &keys) override;
    // kglobalaccel holds back every global shortcut meanwhile, as KDE's own recorders do.
    void setSuspended(bool suspended) override;

private Q_SLOTS:
    void pressed(const QString &component, const QString &action, qlonglong timestamp);
    void changedInSettings(const QDBusMessage &message);

private:
    QStringList actionId() const;
    QString registerKeys(const QString &keys, uint flags);
    void listen(bool on);

    BusConnections &m_buses;
    QString m_keys;
    QString m_componentPath;
    bool m_blocked = false;
};
