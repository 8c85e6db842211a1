// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PortalInhibitor.h"

#include "platform/ServiceAppearance.h"

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <QRandomGenerator>
#include <QThread>
#include <QVariantMap>

namespace {
const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr quint32 suspendFlag = 4;
constexpr quint32 idleFlag = 8;
constexpr int lateAnswerMs = 25000;

class PortalGrant : public Grant {
    Q_OBJECT
public:
    PortalGrant(BusConnections &buses, QString heldBy)
        : m_buses(buses),
          m_connection(buses.connection(BusConnections::Bus::Session)),
          m_heldBy(std::move(heldBy))
    {}

    ~PortalGrant() override
    {
        unsubscribe();
        // The request the portal creates for an unanswered call outlives us: closed when it comes.
        if (!m_call || m_call->property("corvaneRead").toBool() || QThread::currentThread() != thread())
            return;
        QDBusPendingCallWatcher *orphan = m_call;
        orphan->disconnect(this);
        orphan->setParent(QCoreApplication::instance()); // gone with the application at the latest
        QDBusConnection connection = m_connection;
        connect(orphan, &QDBusPendingCallWatcher::finished, orphan, [orphan, connection] {
            orphan->deleteLater();
            const QDBusMessage reply = orphan->reply();
            if (reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("o"))
                connection.send(QDBusMessage::createMethodCall(
                    reply.service(), qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path(),
                    requestInterface, QStringLiteral("Close")));
        });
    }

    void begin(quint32 flags, const QString &reason)
    {
        const QString token = QStringLiteral("corvane%1").arg(QRandomGenerator::global()->generate());
        QString sender = m_connection.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        m_handle = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
        subscribe(m_handle);

        m_watcher = new QDBusServiceWatcher(portal, m_connection, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString &, const QString &oldOwner, const QString &) {
                    if (oldOwner.isEmpty() || (!m_issuer.isEmpty() && oldOwner != m_issuer))
                        return;
                    m_issuerGone = true;
                    markLost(QStringLiteral("the portal left the bus or restarted"));
                    markRefused(QStringLiteral("the portal left the bus while answering"));
                });

        QDBusMessage message =
            QDBusMessage::createMethodCall(portal, QStringLiteral("/org/freedesktop/portal/desktop"),
                                           QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
        // A portal that is not running is not started for us: where nothing provides Inhibit,
        // starting it costs the chain this step's whole share of the deadline.
        message.setAutoStartService(false);
        message << QString() << flags
                << QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("reason"), reason}};
        auto *call = new QDBusPendingCallWatcher(m_connection.asyncCall(message, lateAnswerMs), this);
        m_call = call;
        connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
            call->setProperty("corvaneRead", true);
            call->deleteLater();
            onReply(call->reply());
        });
    }

protected:
    void giveBack(State) override
    {
        // A request the portal has created is closed whatever it answered or will answer.
        if (m_created && !m_issuerGone)
            close();
    }

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &)
    {
        m_response = response;
        decide();
    }

private:
    void subscribe(const QString &path)
    {
        // Any sender: naming the portal makes Qt look its owner up with a blocking call (on the
        // main thread, and fatal in libdbus on a connection that just dropped). The path is ours.
        m_connection.connect(QString(), path, requestInterface, QStringLiteral("Response"), this,
                             SLOT(onResponse(uint, QVariantMap)));
        m_subscribed << path;
    }

    void unsubscribe()
    {
        if (QThread::currentThread() != thread())
            return;
        for (const QString &path : std::as_const(m_subscribed))
            m_connection.disconnect(QString(), path, requestInterface, QStringLiteral("Response"), this,
                                    SLOT(onResponse(uint, QVariantMap)));
        m_subscribed.clear();
    }

    void onReply(const QDBusMessage &reply)
    {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("o")) {
            markRefused(reply.type() == QDBusMessage::ErrorMessage
                            ? reply.errorName()
                            : QStringLiteral("answered '%1' instead of a request").arg(reply.signature()));
            return;
        }
        m_created = true;
        m_issuer = reply.service();
        const QString path = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
        if (path != m_handle) {
            // An older portal picks its own path.
            m_handle = path;
            subscribe(path);
        }
        if (isReleased())
            close();
        else
            decide();
    }

    void decide()
    {
        if (!m_created || m_response < 0)
            return;
        if (m_response == 0) {
            markGranted(m_heldBy);
            return;
        }
        close();
        markRefused(QStringLiteral("the portal answered %1").arg(m_response));
    }

    void close()
    {
        if (m_closed)
            return;
        m_closed = true;
        m_connection.send(QDBusMessage::createMethodCall(m_issuer.isEmpty() ? portal : m_issuer, m_handle,
                                                         requestInterface, QStringLiteral("Close")));
    }

    BusConnections &m_buses;
    QDBusConnection m_connection;
    const QString m_heldBy;
    QString m_handle;
    QString m_issuer;
    QStringList m_subscribed;
    QDBusServiceWatcher *m_watcher = nullptr;
    QPointer<QDBusPendingCallWatcher> m_call;
    qint64 m_response = -1;
    bool m_created = false;
    bool m_closed = false;
    bool m_issuerGone = false;
};
} // namespace

PortalInhibitor::PortalInhibitor(BusConnections &buses, QObject *parent) : Inhibitor(parent), m_buses(buses)
{
    auto *appearance = new ServiceAppearance(buses, BusConnections::Bus::Session, {portal}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &Inhibitor::serviceAppeared);
}

std::unique_ptr<Grant> PortalInhibitor::request(AssertionMode mode, const QString &reason)
{
    auto grant = std::make_unique<PortalGrant>(m_buses, name());
    grant->begin(mode == AssertionMode::displayAndSystem ? (idleFlag | suspendFlag) : suspendFlag, reason);
    return grant;
}

#include "PortalInhibitor.moc"
