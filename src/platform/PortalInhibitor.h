// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Inhibitor.h"

// org.freedesktop.portal.Inhibit: the way out of a sandbox, and elsewhere one more route.
// The answer comes as a Response signal on a request object whose path is known before
// the call, so the subscription is made first. Response 0 grants; anything else refuses.
// Released with Request.Close.
class PortalInhibitor : public Inhibitor {
    Q_OBJECT
public:
    explicit PortalInhibitor(BusConnections &buses, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("Desktop portal"); }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

private:
    BusConnections &m_buses;
};
