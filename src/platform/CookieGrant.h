// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Inhibitor.h"

#include <QDBusMessage>
#include <QPointer>
#include <QVariantList>
#include <functional>
#include <memory>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// A grant made of one or more cookies (`u`) from session services: gnome-session, the
// freedesktop ScreenSaver and PowerManagement services, KDE, XFCE. All cookies or none:
// when one service refuses, the others' are handed back. Each cookie remembers the unique
// bus name that issued it and goes back only to that name, so a restarted service never
// receives a cookie of its predecessor (it might be another application's).
class CookieGrant : public Grant {
    Q_OBJECT
public:
    struct Call {
        QString service;
        QString path;
        QString interface;
        QString method;
        QVariantList arguments;
        QString releaseMethod;
    };
    // Sends the releases now or later (KDE's hand-over); by default at once.
    using ReleasePolicy = std::function<void(std::function<void()> sendReleases)>;

    CookieGrant(BusConnections &buses, BusConnections::Bus bus, QList<Call> calls, QString heldBy,
                ReleasePolicy policy = {});
    ~CookieGrant() override;

    // Sends the calls; answers come later.
    void begin();

protected:
    void giveBack(State before) override;

private:
    struct Token {
        Call call;
        QString issuer;
        quint32 cookie = 0;
        bool valid = false;
    };
    void onReply(int index, const QDBusMessage &reply);
    void onOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    static void sendRelease(const QDBusConnection &bus, const Token &token);

    BusConnections &m_buses;
    const BusConnections::Bus m_bus;
    QDBusConnection m_connection;
    QList<Token> m_tokens;
    const QString m_heldBy;
    ReleasePolicy m_policy;
    QDBusServiceWatcher *m_watcher = nullptr;
    QStringList m_gone; // issuers that left while we waited
    int m_answers = 0;
    QList<QPointer<QDBusPendingCallWatcher>> m_calls;
};
