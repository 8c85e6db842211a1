// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FreedesktopInhibitor.h"

#include "platform/CookieGrant.h"
#include "platform/ServiceAppearance.h"

namespace {
const QString powerManagement = QStringLiteral("org.freedesktop.PowerManagement");
} // namespace

FreedesktopInhibitor::ScreenSaver FreedesktopInhibitor::freedesktopScreenSaver()
{
    return {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver")};
}

FreedesktopInhibitor::FreedesktopInhibitor(BusConnections &buses, ScreenSaver screenSaver, QString name,
                                           QObject *parent)
    : Inhibitor(parent),
      m_buses(buses),
      m_screenSaver(std::move(screenSaver)),
      m_name(std::move(name))
{
    auto *appearance =
        new ServiceAppearance(buses, BusConnections::Bus::Session, {m_screenSaver.service, powerManagement}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &Inhibitor::serviceAppeared);
}

std::unique_ptr<Grant> FreedesktopInhibitor::request(AssertionMode mode, const QString &reason)
{
    QList<CookieGrant::Call> calls;
    if (mode == AssertionMode::displayAndSystem)
        calls << CookieGrant::Call{m_screenSaver.service,
                                   m_screenSaver.path,
                                   m_screenSaver.service,
                                   QStringLiteral("Inhibit"),
                                   {QStringLiteral("Corvane"), reason},
                                   QStringLiteral("UnInhibit")};
    calls << CookieGrant::Call{powerManagement,
                               QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
                               QStringLiteral("org.freedesktop.PowerManagement.Inhibit"),
                               QStringLiteral("Inhibit"),
                               {QStringLiteral("Corvane"), reason},
                               QStringLiteral("UnInhibit")};
    auto grant = std::make_unique<CookieGrant>(m_buses, BusConnections::Bus::Session, calls, m_name);
    grant->begin();
    return grant;
}
