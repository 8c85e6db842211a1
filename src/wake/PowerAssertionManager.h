// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/AssertionMode.h"
#include "wake/Clock.h"

#include <QObject>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>

class Grant;
class Inhibitor;
class ShutdownDelayLock;

// The one holder of the process's inhibition: at most one is held at any time, and a new
// one is asked for while the old stays, so a mode switch leaves no gap. Asking never
// blocks: the outcome comes as a signal. A held inhibition that the service lets go of is
// asked for again at once; while that fails the manager keeps trying, gently, and whenever
// a mechanism's service appears. Main thread, except release(), which the exit hook may
// call from any thread.
class PowerAssertionManager : public QObject {
    Q_OBJECT
public:
    struct Options {
        // While a lost inhibition cannot be taken again: the first retry, doubling up to the last.
        int firstRetryMs = 1000;
        int lastRetryMs = 30000;
    };

    // `delayLock` (may be absent) is held exactly while an inhibition is wanted, so a
    // power-off waits for its release and an idle program holds nothing at all.
    PowerAssertionManager(Inhibitor &inhibitor, ShutdownDelayLock *delayLock, Clock &clock, Options options,
                          QObject *parent = nullptr);
    PowerAssertionManager(Inhibitor &inhibitor, ShutdownDelayLock *delayLock, Clock &clock);
    ~PowerAssertionManager() override;

    // Asks for an inhibition of `mode` with `reason`, always anew (so the reason the system
    // lists is the current one); what is held stays until the answer. A request still in
    // flight is dropped.
    void acquire(AssertionMode mode, const QString &reason);
    // Gives back what is held and drops what is asked for; idempotent, any thread.
    void release();

    std::optional<AssertionMode> heldMode() const;
    QString heldBy() const;
    bool isRequesting() const { return m_pending != nullptr; }

Q_SIGNALS:
    // The latest acquire() (or a renewal after a loss) is in force.
    void granted(const QString &heldBy);
    // The latest acquire() was refused; what was held before is still held.
    void refused(const QString &why);
    // What was held went away and could not be taken again at once (retries go on).
    void lost(const QString &why);
    void heldByChanged();

private:
    // Request: the caller's; Renewal: after a loss, nothing held; Upgrade: a service
    // appeared while something further down the chain holds.
    enum class Kind { Request, Renewal, Upgrade };
    void ask(Kind kind);
    void onGranted(Grant *grant);
    void onRefused(Grant *grant, const QString &why);
    void onLost(Grant *grant, const QString &why);
    void onServiceAppeared();
    void retryLater();
    void setWanted(bool wanted);
    void announceHeldBy();

    Inhibitor &m_inhibitor;
    ShutdownDelayLock *const m_delayLock;
    Clock &m_clock;
    const Options m_options;

    // Guards only the two pointers and the held mode, never a call out.
    mutable std::mutex m_lock;
    std::unique_ptr<Grant> m_held;
    std::unique_ptr<Grant> m_pending;
    std::optional<AssertionMode> m_heldMode;
    QString m_heldReason;
    QString m_announcedHeldBy;

    Kind m_pendingKind = Kind::Request;
    AssertionMode m_wantedMode = AssertionMode::displayAndSystem;
    QString m_wantedReason;
    // An inhibition is wanted until release(): it is what a loss is renewed for.
    bool m_wanted = false;
    bool m_delayLockArmed = false;
    bool m_appearedWhileAsking = false;
    int m_retryMs = 0;
    Clock::Handle m_retry;
};
