// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/GlobalShortcut.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include <chrono>
#include <optional>

class BusConnections;
class QEventLoop;

// The desktop portal's GlobalShortcuts, for Wayland desktops without a shortcut service
// of their own: one session holding one shortcut, "toggle", with the keys offered as the
// preferred trigger. The desktop decides which keys it really gets (it may ask the user,
// or leave the choice to its own settings); presses come back as the portal's Activated
// signal. The binding lives as long as the session, so it is made again at every launch.
//
// Each request answers with a Response signal on a request object whose path is known
// before the call, so the subscription comes first; the answer is awaited in a local
// event loop for a bounded time only, since the portal may be showing the user a dialog.
class PortalGlobalShortcut : public GlobalShortcut {
    Q_OBJECT
public:
    static inline const QString shortcutId = QStringLiteral("toggle");

    // `answerTimeout` bounds the wait for each of the portal's answers.
    explicit PortalGlobalShortcut(BusConnections &buses,
                                  std::chrono::milliseconds answerTimeout = std::chrono::seconds(25),
                                  QObject *parent = nullptr);
    ~PortalGlobalShortcut() override;

    // Whether a portal is there, or can be started, on `bus`.
    static bool available(const QDBusConnection &bus);

    QString bind(const QString &keys) override;

    // The session's object path; empty while there is none.
    QString sessionHandle() const { return m_session; }

private Q_SLOTS:
    void responded(uint response, const QVariantMap &results);
    // Activated(o session, s id, t timestamp, a{sv} options), taken whole.
    void pressed(const QDBusMessage &message);
    void sessionClosed(const QDBusMessage &message);

private:
    // Calls `method` with `arguments` followed by the options carrying a fresh handle token,
    // and waits for its Response. The results on success; `why` tells otherwise.
    std::optional<QVariantMap> request(const QString &method, QVariantList arguments, QVariantMap options,
                                       QString *why);
    QString openSession();
    void closeSession();

    BusConnections &m_buses;
    const std::chrono::milliseconds m_answerTimeout;
    QDBusConnection m_connection;
    QString m_session;
    QString m_keys;
    QString m_awaited; // the request path whose Response is awaited
    std::optional<uint> m_response;
    QVariantMap m_results;
    QEventLoop *m_loop = nullptr;
};
