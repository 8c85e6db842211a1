#pragma once

#include "platform/BusConnections.h"
#include "wake/DelayedCall.h"
#include "wake/Inhibitor.h"

#include <QElapsedTimer>
#include <functional>
#include <vector>

// KDE Plasma: the session's org.freedesktop.ScreenSaver (ksmserver hands it to PowerDevil)
// for displayAndSystem, PowerDevil's org.freedesktop.PowerManagement for systemOnly. Only
// where PowerDevil's PolicyAgent is on the bus.
//
// PowerDevil puts a new inhibition in force about five seconds after it arrives and drops
// a released one at once, so an inhibition being replaced is kept until its successor has
// had `handoverMs`; its own HasInhibition cannot tell, because the old one answers for it.
class KdeInhibitor : public Inhibitor {
    Q_OBJECT
public:
    KdeInhibitor(BusConnections &buses, DelayedCallScheduler scheduler, int handoverMs = 5500,
                 QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("KDE Power Management"); }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

private:
    void onReleased(std::function<void()> sendReleases);
    void flush();

    BusConnections &m_buses;
    DelayedCallScheduler m_scheduler;
    const int m_handoverMs;
    bool m_policyAgent = false;
    int m_held = 0;
    QElapsedTimer m_newest;
    std::vector<std::function<void()>> m_deferred;
    DelayedCallHandle m_flush;
};
