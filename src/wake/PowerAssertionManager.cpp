// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/PowerAssertionManager.h"

#include "wake/Inhibitor.h"
#include "wake/Logging.h"
#include "wake/ShutdownDelayLock.h"

#include <QPointer>
#include <QThread>

namespace {
// A grant may be the sender of the signal being handled: let it go on the next turn.
void retire(std::unique_ptr<Grant> grant)
{
    if (grant)
        grant.release()->deleteLater();
}
} // namespace

PowerAssertionManager::PowerAssertionManager(Inhibitor &inhibitor, ShutdownDelayLock *delayLock, Clock &clock,
                                             Options options, QObject *parent)
    : QObject(parent),
      m_inhibitor(inhibitor),
      m_delayLock(delayLock),
      m_clock(clock),
      m_options(options)
{
    connect(&inhibitor, &Inhibitor::serviceAppeared, this, &PowerAssertionManager::onServiceAppeared);
}

PowerAssertionManager::PowerAssertionManager(Inhibitor &inhibitor, ShutdownDelayLock *delayLock, Clock &clock)
    : PowerAssertionManager(inhibitor, delayLock, clock, Options{})
{}

PowerAssertionManager::~PowerAssertionManager()
{
    release();
}

void PowerAssertionManager::acquire(AssertionMode mode, const QString &reason)
{
    m_wantedMode = mode;
    m_wantedReason = reason;
    setWanted(true);
    ask(Kind::Request);
}

void PowerAssertionManager::ask(Kind kind)
{
    m_retry.reset();
    std::unique_ptr<Grant> dropped;
    {
        std::lock_guard guard(m_lock);
        dropped = std::move(m_pending);
    }
    if (dropped) {
        dropped->release();
        retire(std::move(dropped));
    }
    std::unique_ptr<Grant> grant = m_inhibitor.request(m_wantedMode, m_wantedReason);
    Grant *raw = grant.get();
    connect(raw, &Grant::granted, this, [this, raw] { onGranted(raw); });
    connect(raw, &Grant::refused, this, [this, raw](const QString &why) { onRefused(raw, why); });
    connect(raw, &Grant::lost, this, [this, raw](const QString &why) { onLost(raw, why); });
    m_pendingKind = kind;
    {
        std::lock_guard guard(m_lock);
        m_pending = std::move(grant);
    }
    // An answer given inside request() is already there.
    if (raw->state() == Grant::State::Held)
        onGranted(raw);
    else if (raw->state() == Grant::State::Refused)
        onRefused(raw, raw->why());
}

void PowerAssertionManager::onGranted(Grant *grant)
{
    std::unique_ptr<Grant> previous;
    {
        std::lock_guard guard(m_lock);
        if (grant != m_pending.get())
            return;
        previous = std::exchange(m_held, std::move(m_pending));
        m_heldMode = m_wantedMode;
    }
    m_heldReason = m_wantedReason;
    m_retryMs = 0;
    const bool lookAgain = std::exchange(m_appearedWhileAsking, false);
    // Only now, so there is no moment without an inhibition.
    if (previous) {
        previous->release();
        retire(std::move(previous));
    }
    qCDebug(lcPower) << "held by" << grant->heldBy() << "for" << AssertionModes::rawValue(m_wantedMode);
    announceHeldBy();
    Q_EMIT granted(grant->heldBy());
    if (lookAgain)
        onServiceAppeared();
}

void PowerAssertionManager::onRefused(Grant *grant, const QString &why)
{
    std::unique_ptr<Grant> refusedGrant;
    bool holding = false;
    {
        std::lock_guard guard(m_lock);
        if (grant != m_pending.get())
            return;
        refusedGrant = std::move(m_pending);
        holding = m_held != nullptr;
    }
    retire(std::move(refusedGrant));
    if (std::exchange(m_appearedWhileAsking, false) && m_wanted && m_pendingKind != Kind::Request) {
        ask(holding ? Kind::Upgrade : Kind::Renewal);
        return;
    }
    switch (m_pendingKind) {
    case Kind::Request:
        if (holding) {
            // What was held stays, and so does what it was held for.
            m_wantedMode = *heldMode();
            m_wantedReason = m_heldReason;
        } else {
            setWanted(false);
        }
        Q_EMIT refused(why);
        break;
    case Kind::Renewal:
        qCDebug(lcPower) << "could not take the inhibition again:" << why;
        Q_EMIT lost(why);
        retryLater();
        break;
    case Kind::Upgrade:
        if (!holding)
            retryLater();
        break;
    }
}

void PowerAssertionManager::onLost(Grant *grant, const QString &why)
{
    std::unique_ptr<Grant> lostGrant;
    bool asking = false;
    {
        std::lock_guard guard(m_lock);
        if (grant != m_held.get())
            return;
        lostGrant = std::move(m_held);
        m_heldMode.reset();
        asking = m_pending != nullptr;
    }
    qCDebug(lcPower) << "lost:" << why;
    // Nothing to send: the old token means nothing to whoever owns the name now.
    lostGrant->release();
    retire(std::move(lostGrant));
    announceHeldBy();
    if (asking) {
        // The answer in flight now decides; a refused switch must not end in silence.
        if (m_pendingKind == Kind::Upgrade)
            m_pendingKind = Kind::Renewal;
        return;
    }
    ask(Kind::Renewal);
}

void PowerAssertionManager::onServiceAppeared()
{
    if (!m_wanted)
        return;
    if (m_pending) {
        // The walk in flight may already be past it: look again once it is decided.
        m_appearedWhileAsking = true;
        return;
    }
    ask(m_held ? Kind::Upgrade : Kind::Renewal);
}

void PowerAssertionManager::retryLater()
{
    if (!m_wanted)
        return;
    m_retryMs = m_retryMs == 0 ? m_options.firstRetryMs : std::min(m_retryMs * 2, m_options.lastRetryMs);
    QPointer<PowerAssertionManager> self(this);
    m_retry = m_clock.callAfter(std::chrono::milliseconds(m_retryMs), [self] {
        if (self && self->m_wanted && !self->m_pending && !self->m_held)
            self->ask(Kind::Renewal);
    });
}

void PowerAssertionManager::release()
{
    std::unique_ptr<Grant> held, pending;
    {
        std::lock_guard guard(m_lock);
        held = std::move(m_held);
        pending = std::move(m_pending);
        m_heldMode.reset();
    }
    if (held)
        held->release();
    if (pending)
        pending->release();
    if (QThread::currentThread() != thread()) {
        // The exit hook on another thread: the process is ending, and these objects belong
        // to the main thread, so they are left to it.
        (void)held.release();
        (void)pending.release();
        return;
    }
    retire(std::move(held));
    retire(std::move(pending));
    m_retry.reset();
    m_retryMs = 0;
    setWanted(false);
    announceHeldBy();
}

void PowerAssertionManager::setWanted(bool wanted)
{
    m_wanted = wanted;
    if (!m_delayLock || m_delayLockArmed == wanted)
        return;
    m_delayLockArmed = wanted;
    if (wanted)
        m_delayLock->arm();
    else
        m_delayLock->disarm();
}

void PowerAssertionManager::announceHeldBy()
{
    const QString now = heldBy();
    if (now == m_announcedHeldBy)
        return;
    m_announcedHeldBy = now;
    Q_EMIT heldByChanged();
}

std::optional<AssertionMode> PowerAssertionManager::heldMode() const
{
    std::lock_guard guard(m_lock);
    return m_heldMode;
}

QString PowerAssertionManager::heldBy() const
{
    std::lock_guard guard(m_lock);
    return m_held ? m_held->heldBy() : QString();
}
