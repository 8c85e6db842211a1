// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Inhibitor.h"

// org.gnome.SessionManager.Inhibit: what GNOME (which never reads logind's locks) obeys.
class GnomeSessionInhibitor : public Inhibitor {
    Q_OBJECT
public:
    GnomeSessionInhibitor(BusConnections &buses, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("GNOME Session Manager"); }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

private:
    BusConnections &m_buses;
};
