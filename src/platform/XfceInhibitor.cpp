// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/XfceInhibitor.h"

#include "platform/LogindInhibitor.h"
#include "platform/ServiceAppearance.h"

#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <QThread>

#include <atomic>

namespace {
const QString screenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
constexpr int lateAnswerMs = 25000;
constexpr int releaseAnswerMs = 3000;

// One screen saver cookie on a connection opened for it alone; closing the connection is
// the last word, for a service that missed the UnInhibit.
class ScreenSaverGrant : public Grant {
public:
    explicit ScreenSaverGrant(BusConnections &buses)
        : m_connectionName(QStringLiteral("corvane-screensaver-%1").arg(++s_connections)),
          // Without an address libdbus would launch a bus of its own, which outlives us.
          m_connection(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
                           ? QDBusConnection(m_connectionName)
                           : QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName))
    {
        connect(&buses, &BusConnections::dropped, this, [this](BusConnections::Bus bus) {
            if (bus != BusConnections::Bus::Session)
                return;
            markLost(QStringLiteral("the bus connection dropped"));
            markRefused(QStringLiteral("the bus connection dropped"));
        });
    }

    ~ScreenSaverGrant() override
    {
        // An Inhibit still on its way closes the connection itself once answered.
        if (!m_closing && !m_asking)
            QDBusConnection::disconnectFromBus(m_connectionName);
    }

    void begin(const QString &reason)
    {
        QPointer<ScreenSaverGrant> self(this);
        if (!m_connection.isConnected()) {
            QMetaObject::invokeMethod(
                this,
                [self] {
                    if (self)
                        self->markRefused(QStringLiteral("could not connect to the session bus"));
                },
                Qt::QueuedConnection);
            return;
        }
        auto *watcher =
            new QDBusServiceWatcher(screenSaver, m_connection, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString &, const QString &oldOwner, const QString &) {
                    if (!oldOwner.isEmpty() && oldOwner == m_issuer) {
                        m_cookie.store(-1);
                        markLost(QStringLiteral("%1 left the bus or restarted").arg(screenSaver));
                    }
                });
        QDBusMessage message =
            QDBusMessage::createMethodCall(screenSaver, screenSaverPath, screenSaver, QStringLiteral("Inhibit"));
        message << QStringLiteral("Corvane") << reason;
        // Parented to the application: a late cookie must still be handed back after we are gone.
        auto *call = new QDBusPendingCallWatcher(m_connection.asyncCall(message, lateAnswerMs));
        m_asking = true;
        const QString name = m_connectionName;
        QDBusConnection connection = m_connection;
        connect(call, &QDBusPendingCallWatcher::finished, call, [self, call, name, connection] {
            call->deleteLater();
            const QDBusMessage reply = call->reply();
            const bool cookie = reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("u");
            if (self)
                self->m_asking = false;
            if (self && !self->isReleased()) {
                self->onReply(reply, cookie);
                return;
            }
            // Given up on while asking: the cookie goes back, and the connection with it.
            if (cookie)
                giveBackOn(connection, name, reply.service(), reply.arguments().constFirst().toUInt());
            else
                QDBusConnection::disconnectFromBus(name);
        });
    }

protected:
    void giveBack(State before) override
    {
        if (before == State::Pending)
            return; // the answer, when it comes, is handed back above
        const qint64 cookie = m_cookie.exchange(-1);
        if (QThread::currentThread() != thread()) {
            // The exit hook: one message, and the process's end closes the connection.
            if (cookie >= 0)
                m_connection.send(uninhibit(m_issuer, quint32(cookie)));
            return;
        }
        m_closing = true;
        if (cookie >= 0)
            giveBackOn(m_connection, m_connectionName, m_issuer, quint32(cookie));
        else
            QDBusConnection::disconnectFromBus(m_connectionName);
    }

private:
    void onReply(const QDBusMessage &reply, bool cookie)
    {
        if (!cookie) {
            markRefused(reply.type() == QDBusMessage::ErrorMessage
                            ? reply.errorName()
                            : QStringLiteral("answered '%1' instead of a cookie").arg(reply.signature()));
            return;
        }
        m_issuer = reply.service();
        m_cookie.store(reply.arguments().constFirst().toUInt());
        markGranted(QStringLiteral("screen saver"));
    }

    static QDBusMessage uninhibit(const QString &issuer, quint32 cookie)
    {
        // To the unique name that issued it: a new owner of the name never gets it.
        QDBusMessage message =
            QDBusMessage::createMethodCall(issuer, screenSaverPath, screenSaver, QStringLiteral("UnInhibit"));
        message << cookie;
        return message;
    }

    // The connection closes once the service has answered (or could not).
    static void giveBackOn(const QDBusConnection &connection, const QString &name, const QString &issuer,
                           quint32 cookie)
    {
        auto *call = new QDBusPendingCallWatcher(connection.asyncCall(uninhibit(issuer, cookie), releaseAnswerMs));
        QObject::connect(call, &QDBusPendingCallWatcher::finished, call, [call, name] {
            call->deleteLater();
            QDBusConnection::disconnectFromBus(name);
        });
    }

    static inline int s_connections = 0;
    const QString m_connectionName;
    QDBusConnection m_connection;
    QString m_issuer;
    std::atomic<qint64> m_cookie{-1};
    bool m_closing = false;
    bool m_asking = false;
};

// Every part or none: held when all are, refused (the others handed back) when one is.
class AllOfGrant : public Grant {
public:
    AllOfGrant(std::vector<std::unique_ptr<Grant>> parts, QString heldBy)
        : m_parts(std::move(parts)),
          m_heldBy(std::move(heldBy))
    {
        for (const auto &part : m_parts) {
            Grant *raw = part.get();
            connect(raw, &Grant::granted, this, [this] { settle(); });
            connect(raw, &Grant::refused, this, [this](const QString &why) { refuse(why); });
            connect(raw, &Grant::lost, this, [this](const QString &why) {
                markLost(why);
                refuse(why); // lost before the others answered
            });
        }
        QPointer<AllOfGrant> self(this);
        // Parts that answered inside their request() are read on the next turn.
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self)
                    self->settle();
            },
            Qt::QueuedConnection);
    }

protected:
    void giveBack(State) override
    {
        for (const auto &part : m_parts)
            part->release();
    }

private:
    void settle()
    {
        if (state() != State::Pending)
            return;
        bool all = true;
        for (const auto &part : m_parts) {
            if (part->state() == State::Refused || part->state() == State::Lost)
                return refuse(part->why());
            all = all && part->state() == State::Held;
        }
        if (all)
            markGranted(m_heldBy);
    }

    void refuse(const QString &why)
    {
        if (state() != State::Pending)
            return;
        for (const auto &part : m_parts)
            part->release();
        markRefused(why);
    }

    std::vector<std::unique_ptr<Grant>> m_parts;
    const QString m_heldBy;
};
} // namespace

XfceInhibitor::XfceInhibitor(BusConnections &buses, LogindInhibitor &logind, QObject *parent)
    : Inhibitor(parent),
      m_buses(buses),
      m_logind(logind)
{
    auto *appearance = new ServiceAppearance(buses, BusConnections::Bus::Session, {screenSaver}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &Inhibitor::serviceAppeared);
}

std::unique_ptr<Grant> XfceInhibitor::request(AssertionMode mode, const QString &reason)
{
    if (mode != AssertionMode::displayAndSystem)
        return refusedGrant(QStringLiteral("only for display and system"));
    auto screen = std::make_unique<ScreenSaverGrant>(m_buses);
    screen->begin(reason);
    std::vector<std::unique_ptr<Grant>> parts;
    parts.push_back(std::move(screen));
    parts.push_back(m_logind.request(mode, reason));
    return std::make_unique<AllOfGrant>(std::move(parts), name());
}
