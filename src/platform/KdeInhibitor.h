// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Clock.h"
#include "wake/Inhibitor.h"

#include <QList>
#include <QPointer>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

class QDBusServiceWatcher;

// KDE Plasma: the session's org.freedesktop.ScreenSaver (ksmserver hands it to PowerDevil)
// for displayAndSystem, PowerDevil's org.freedesktop.PowerManagement for systemOnly. Only
// where PowerDevil's PolicyAgent is on the bus.
//
// PowerDevil puts a new inhibition in force about five seconds after it arrives and drops
// a released one at once, so an inhibition being replaced is kept until its successor is in
// force: until PowerDevil lists one more entry with the successor's reason than the ones
// still kept (ListInhibitions), or the successor has had `handoverMs`. HasInhibition cannot
// tell, because the old one answers for it. Only the one in force is kept: a successor
// that is replaced in turn before its time is handed back at once, before its own successor
// is asked for, so PowerDevil never lists more than the kept one and the newest.
class KdeInhibitor : public Inhibitor {
    Q_OBJECT
public:
    KdeInhibitor(BusConnections &buses, Clock &clock, int handoverMs = 5500, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("KDE Power Management"); }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

private:
    struct Kept {
        std::function<void()> sendReleases;
        QString reason;
    };
    void onReleased(std::function<void()> sendReleases, const QString &reason);
    void lookAtList();
    // Again on a new connection: the old one's watcher hears nothing from a new bus.
    void watchPolicyAgent();
    void flush();
    // How long ago the newest inhibition was granted; the whole handover time when none was.
    qint64 newestAgeMs() const;

    BusConnections &m_buses;
    Clock &m_clock;
    const int m_handoverMs;
    bool m_policyAgent = false;
    QDBusServiceWatcher *m_agentWatcher = nullptr;
    int m_held = 0;
    std::optional<std::chrono::nanoseconds> m_newest; // when the newest inhibition was granted
    QString m_newestReason;
    std::vector<Kept> m_deferred;
    QList<QPointer<Grant>> m_live; // held here and not yet handed back
    Clock::Handle m_look;
    bool m_looking = false;
    bool m_superseding = false; // handing back successors that never came into force
};
