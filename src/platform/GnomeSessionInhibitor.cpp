// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GnomeSessionInhibitor.h"

#include "platform/CookieGrant.h"
#include "platform/ServiceAppearance.h"

namespace {
const QString service = QStringLiteral("org.gnome.SessionManager");
// Inhibit flags: 4 suspend, 8 idle.
constexpr quint32 suspendFlag = 4;
constexpr quint32 idleFlag = 8;
} // namespace

GnomeSessionInhibitor::GnomeSessionInhibitor(BusConnections &buses, QObject *parent) : Inhibitor(parent), m_buses(buses)
{
    auto *appearance = new ServiceAppearance(buses, BusConnections::Bus::Session, {service}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &Inhibitor::serviceAppeared);
}

std::unique_ptr<Grant> GnomeSessionInhibitor::request(AssertionMode mode, const QString &reason)
{
    const quint32 flags = mode == AssertionMode::displayAndSystem ? (idleFlag | suspendFlag) : suspendFlag;
    CookieGrant::Call call{service,
                           QStringLiteral("/org/gnome/SessionManager"),
                           service,
                           QStringLiteral("Inhibit"),
                           {QStringLiteral("Corvane"), quint32(0), reason, flags},
                           QStringLiteral("Uninhibit")};
    auto grant = std::make_unique<CookieGrant>(m_buses, BusConnections::Bus::Session, QList{call}, name());
    grant->begin();
    return grant;
}
