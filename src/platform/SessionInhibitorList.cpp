// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SessionInhibitorList.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

namespace {
const QString ours = QStringLiteral("Corvane");
const QString gnome = QStringLiteral("org.gnome.SessionManager");
constexpr int timeoutMs = 2000;

QString entry(const QString &who, const QString &why)
{
    return why.isEmpty() ? who : QStringLiteral("%1: %2").arg(who, why);
}
} // namespace

SessionInhibitorList::SessionInhibitorList(BusConnections &buses, QObject *parent)
    : OtherInhibitors(parent),
      m_buses(buses)
{}

void SessionInhibitorList::ask(BusConnections::Bus bus, const QDBusMessage &message,
                               std::function<void(const QDBusMessage &)> onReply, bool errorsToo)
{
    auto *call = new QDBusPendingCallWatcher(m_buses.connection(bus).asyncCall(message, timeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [call, onReply = std::move(onReply), errorsToo] {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (errorsToo || reply.type() == QDBusMessage::ReplyMessage)
            onReply(reply);
    });
}

void SessionInhibitorList::refresh()
{
    const int round = ++m_round;
    const auto askLogind = [this, round] {
        ask(BusConnections::Bus::System,
            QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors")),
            [this, round](const QDBusMessage &reply) {
                if (round != m_round || reply.signature() != QLatin1String("a(ssssuu)"))
                    return;
                m_logind.clear();
                const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
                list.beginArray();
                while (!list.atEnd()) {
                    QString what, who, why, mode;
                    uint uid = 0, pid = 0;
                    list.beginStructure();
                    list >> what >> who >> why >> mode >> uid >> pid;
                    list.endStructure();
                    if (mode == QLatin1String("block") && who != ours
                        && (what.contains(QLatin1String("idle")) || what.contains(QLatin1String("sleep"))))
                        m_logind << LogindLock{entry(who, why), pid};
                }
                list.endArray();
                publish();
            });
    };
    // Which process is gnome-session, before logind's list is read: its mirror lock never
    // shows, not even for a moment. Nobody owning the name is an error reply, and means none.
    ask(
        BusConnections::Bus::Session,
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"),
                                       QStringLiteral("GetConnectionUnixProcessID"))
            << gnome,
        [this, round, askLogind](const QDBusMessage &reply) {
            if (round != m_round)
                return;
            const bool known = reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("u");
            m_sessionManagerPid = known ? reply.arguments().constFirst().toUInt() : 0;
            askLogind();
        },
        true);
    // GNOME lists objects; each tells its application and reason.
    ask(BusConnections::Bus::Session,
        QDBusMessage::createMethodCall(gnome, QStringLiteral("/org/gnome/SessionManager"), gnome,
                                       QStringLiteral("GetInhibitors")),
        [this, round](const QDBusMessage &reply) {
            if (round != m_round || reply.signature() != QLatin1String("ao"))
                return;
            m_gnome.clear();
            for (const QDBusObjectPath &path : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().constFirst())) {
                for (const QString &method : {QStringLiteral("GetAppId"), QStringLiteral("GetReason")}) {
                    ask(BusConnections::Bus::Session,
                        QDBusMessage::createMethodCall(gnome, path.path(), gnome + QLatin1String(".Inhibitor"), method),
                        [this, round, path = path.path(), method](const QDBusMessage &answer) {
                            if (round != m_round || answer.signature() != QLatin1String("s"))
                                return;
                            QStringList &parts = m_gnome[path];
                            parts.resize(2);
                            parts[method == QLatin1String("GetReason") ? 1 : 0] =
                                answer.arguments().constFirst().toString();
                            publish();
                        });
                }
            }
            publish();
        });
}

void SessionInhibitorList::publish()
{
    QStringList all;
    for (const LogindLock &lock : std::as_const(m_logind)) {
        if (m_sessionManagerPid == 0 || lock.pid != m_sessionManagerPid)
            all << lock.text;
    }
    for (const QStringList &parts : std::as_const(m_gnome)) {
        if (parts.size() == 2 && !parts.at(0).isEmpty() && parts.at(0) != ours)
            all << entry(parts.at(0), parts.at(1));
    }
    all.removeDuplicates();
    setList(all);
}
