#include "platform/KdeInhibitor.h"

#include "platform/CookieGrant.h"
#include "platform/ServiceAppearance.h"

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

KdeInhibitor::KdeInhibitor(BusConnections &buses, DelayedCallScheduler scheduler, int handoverMs, QObject *parent)
    : Inhibitor(parent), m_buses(buses), m_scheduler(std::move(scheduler)), m_handoverMs(handoverMs)
{
    QDBusConnection session = buses.connection(BusConnections::Bus::Session);
    auto *agent = new QDBusServiceWatcher(policyAgent, session, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(agent, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) { m_policyAgent = !newOwner.isEmpty(); });
    if (session.interface()) {
        auto *probe = new QDBusPendingCallWatcher(session.interface()->asyncCall(QStringLiteral("NameHasOwner"), policyAgent), this);
        connect(probe, &QDBusPendingCallWatcher::finished, this, [this, probe] {
            probe->deleteLater();
            const QDBusPendingReply<bool> reply = *probe;
            if (!reply.isError() && reply.value())
                m_policyAgent = true;
        });
    }
    auto *appearance = new ServiceAppearance(buses, BusConnections::Bus::Session,
                                             {policyAgent, screenSaver, powerManagement}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &Inhibitor::serviceAppeared);
}

std::unique_ptr<Grant> KdeInhibitor::request(AssertionMode mode, const QString &reason)
{
    if (!m_policyAgent)
        return refusedGrant(QStringLiteral("PowerDevil is not running"));
    const CookieGrant::Call call =
        mode == AssertionMode::displayAndSystem
            ? CookieGrant::Call{screenSaver, QStringLiteral("/ScreenSaver"), screenSaver, QStringLiteral("Inhibit"),
                                {QStringLiteral("Corvane"), reason}, QStringLiteral("UnInhibit")}
            : CookieGrant::Call{powerManagement, QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
                                QStringLiteral("org.freedesktop.PowerManagement.Inhibit"), QStringLiteral("Inhibit"),
                                {QStringLiteral("Corvane"), reason}, QStringLiteral("UnInhibit")};
    QPointer<KdeInhibitor> self(this);
    auto grant = std::make_unique<CookieGrant>(m_buses, BusConnections::Bus::Session, QList{call}, name(),
                                               [self](std::function<void()> send) {
                                                   if (self)
                                                       self->onReleased(std::move(send));
                                                   else
                                                       send();
                                               });
    connect(grant.get(), &Grant::granted, this, [this] {
        ++m_held;
        m_newest.start();
    });
    connect(grant.get(), &Grant::lost, this, [this] { m_held = std::max(0, m_held - 1); });
    grant->begin();
    return grant;
}

void KdeInhibitor::onReleased(std::function<void()> sendReleases)
{
    m_held = std::max(0, m_held - 1);
    const qint64 age = m_newest.isValid() ? m_newest.elapsed() : m_handoverMs;
    if (m_held == 0 || age >= m_handoverMs) {
        // Nothing newer is waiting to come into force: everything goes now.
        sendReleases();
        flush();
        return;
    }
    m_deferred.push_back(std::move(sendReleases));
    QPointer<KdeInhibitor> self(this);
    m_flush = m_scheduler(int(m_handoverMs - age), [self] {
        if (self)
            self->flush();
    });
}

void KdeInhibitor::flush()
{
    m_flush.reset();
    auto deferred = std::exchange(m_deferred, {});
    for (auto &send : deferred)
        send();
}
