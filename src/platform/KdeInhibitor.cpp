// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KdeInhibitor.h"

#include "platform/CookieGrant.h"
#include "platform/ServiceAppearance.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QPointer>

namespace {
const QString policyAgent = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");
const QString screenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString powerManagement = QStringLiteral("org.freedesktop.PowerManagement");
} // namespace

KdeInhibitor::KdeInhibitor(BusConnections &buses, Clock &clock, int handoverMs, QObject *parent)
    : Inhibitor(parent),
      m_buses(buses),
      m_clock(clock),
      m_handoverMs(handoverMs)
{
    watchPolicyAgent();
    connect(&buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus == BusConnections::Bus::Session)
            watchPolicyAgent();
    });
    auto *appearance =
        new ServiceAppearance(buses, BusConnections::Bus::Session, {policyAgent, screenSaver, powerManagement}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &Inhibitor::serviceAppeared);
}

void KdeInhibitor::watchPolicyAgent()
{
    QDBusConnection session = m_buses.connection(BusConnections::Bus::Session);
    delete m_agentWatcher;
    m_policyAgent = false;
    m_agentWatcher = new QDBusServiceWatcher(policyAgent, session, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_agentWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) { m_policyAgent = !newOwner.isEmpty(); });
    if (!session.interface())
        return;
    auto *probe = new QDBusPendingCallWatcher(
        session.interface()->asyncCall(QStringLiteral("NameHasOwner"), policyAgent), m_agentWatcher);
    connect(probe, &QDBusPendingCallWatcher::finished, this, [this, probe] {
        probe->deleteLater();
        const QDBusPendingReply<bool> reply = *probe;
        if (!reply.isError() && reply.value())
            m_policyAgent = true;
    });
}

std::unique_ptr<Grant> KdeInhibitor::request(AssertionMode mode, const QString &reason)
{
    if (!m_policyAgent)
        return refusedGrant(QStringLiteral("PowerDevil is not running"));
    if (!m_deferred.empty()) {
        // One is kept until its successor is in force; a successor that is itself being
        // replaced is worth nothing meanwhile, and goes now, before the next is asked for.
        const auto live = std::exchange(m_live, {});
        m_superseding = true;
        for (const QPointer<Grant> &grant : live)
            if (grant)
                grant->release();
        m_superseding = false;
    }
    const CookieGrant::Call call = mode == AssertionMode::displayAndSystem
        ? CookieGrant::Call{screenSaver,
                            QStringLiteral("/ScreenSaver"),
                            screenSaver,
                            QStringLiteral("Inhibit"),
                            {QStringLiteral("Corvane"), reason},
                            QStringLiteral("UnInhibit")}
        : CookieGrant::Call{powerManagement,
                            QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
                            QStringLiteral("org.freedesktop.PowerManagement.Inhibit"),
                            QStringLiteral("Inhibit"),
                            {QStringLiteral("Corvane"), reason},
                            QStringLiteral("UnInhibit")};
    QPointer<KdeInhibitor> self(this);
    auto grant = std::make_unique<CookieGrant>(m_buses, BusConnections::Bus::Session, QList{call}, name(),
                                               [self, reason](std::function<void()> send) {
                                                   if (self)
                                                       self->onReleased(std::move(send), reason);
                                                   else
                                                       send();
                                               });
    Grant *raw = grant.get();
    connect(grant.get(), &Grant::granted, this, [this, reason, raw] {
        m_live << raw;
        ++m_held;
        m_newest = m_clock.sinceBoot();
        m_newestReason = reason;
    });
    connect(grant.get(), &Grant::lost, this, [this] { m_held = std::max(0, m_held - 1); });
    grant->begin();
    return grant;
}

void KdeInhibitor::onReleased(std::function<void()> sendReleases, const QString &reason)
{
    m_held = std::max(0, m_held - 1);
    m_live.removeAll(nullptr);
    if (m_superseding) {
        // The kept one stays for the successor being asked for now.
        sendReleases();
        return;
    }
    if (m_held == 0 || newestAgeMs() >= m_handoverMs) {
        // Nothing newer is waiting to come into force: everything goes now.
        sendReleases();
        flush();
        return;
    }
    if (!m_deferred.empty()) {
        // Newer than the one kept, so never what held: nothing to wait for.
        sendReleases();
        return;
    }
    m_deferred.push_back({std::move(sendReleases), reason});
    lookAtList();
}

void KdeInhibitor::lookAtList()
{
    if (m_deferred.empty() || m_looking)
        return;
    if (newestAgeMs() >= m_handoverMs)
        return flush();
    m_looking = true;
    QDBusMessage message =
        QDBusMessage::createMethodCall(policyAgent, QStringLiteral("/org/kde/Solid/PowerManagement/PolicyAgent"),
                                       policyAgent, QStringLiteral("ListInhibitions"));
    auto *call =
        new QDBusPendingCallWatcher(m_buses.connection(BusConnections::Bus::Session).asyncCall(message, 1000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
        call->deleteLater();
        m_looking = false;
        const QDBusMessage reply = call->reply();
        const bool listed = reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("a(ss)");
        if (listed) {
            // The kept ones with the same reason are listed too; the successor makes one more.
            qsizetype wanted = 1;
            for (const Kept &kept : m_deferred)
                wanted += kept.reason == m_newestReason ? 1 : 0;
            const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
            list.beginArray();
            while (!list.atEnd()) {
                QString app, why;
                list.beginStructure();
                list >> app >> why;
                list.endStructure();
                wanted -= why == m_newestReason ? 1 : 0;
            }
            list.endArray();
            if (wanted <= 0)
                return flush();
        }
        // Without a list, PowerDevil's own delay decides.
        const qint64 left = std::max<qint64>(0, m_handoverMs - newestAgeMs());
        QPointer<KdeInhibitor> self(this);
        m_look = m_clock.callAfter(std::chrono::milliseconds(listed ? std::min<qint64>(250, left) : left), [self] {
            if (self)
                self->lookAtList();
        });
    });
}

qint64 KdeInhibitor::newestAgeMs() const
{
    if (!m_newest)
        return m_handoverMs;
    return std::chrono::duration_cast<std::chrono::milliseconds>(m_clock.sinceBoot() - *m_newest).count();
}

void KdeInhibitor::flush()
{
    m_look.reset();
    auto deferred = std::exchange(m_deferred, {});
    for (Kept &kept : deferred)
        kept.sendReleases();
}
