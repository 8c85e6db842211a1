// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/InhibitorChain.h"

#include "wake/Logging.h"

#include <QPointer>

namespace {

// A grant may be the sender of the signal being handled: let it go on the next turn.
void retire(std::unique_ptr<Grant> &grant)
{
    if (grant)
        grant.release()->deleteLater();
}

class ChainGrant : public Grant {
public:
    ChainGrant(QList<Inhibitor *> steps, AssertionMode mode, QString reason, Clock &clock,
               InhibitorChain::Timing timing)
        : m_steps(std::move(steps)),
          m_mode(mode),
          m_reason(std::move(reason)),
          m_clock(clock),
          m_timing(timing)
    {}

    void begin()
    {
        QPointer<ChainGrant> self(this);
        // Deferred, so the outcome never comes from inside request().
        m_next = m_clock.callAfter(std::chrono::milliseconds(0), [self] {
            if (!self)
                return;
            self->m_overall = self->m_clock.callAfter(std::chrono::milliseconds(self->m_timing.budgetMs), [self] {
                if (self)
                    self->giveUp(QStringLiteral("no answer in time"));
            });
            const int beforeLastResort = self->m_timing.budgetMs - self->m_timing.lastResortMs;
            self->m_lastResortDue = self->m_clock.callAfter(std::chrono::milliseconds(beforeLastResort), [self] {
                if (!self)
                    return;
                self->m_lastResortTaken = true;
                if (self->m_index < self->m_steps.size() - 1)
                    self->giveUp(QStringLiteral("no answer before the last resort's turn"));
            });
            self->askNext();
        });
    }

protected:
    void giveBack(State before) override
    {
        Q_UNUSED(before);
        m_next.reset();
        m_stepTimer.reset();
        m_overall.reset();
        m_lastResortDue.reset();
        if (m_current)
            m_current->release();
    }

private:
    // The step in flight gave no answer in its time: hand it back (a late yes is undone by
    // the mechanism) and go on.
    void giveUp(const QString &why)
    {
        if (state() != State::Pending)
            return;
        if (m_current) {
            note(m_currentName, why);
            m_current->release();
            retire(m_current);
        }
        if (m_index >= m_steps.size() - 1) {
            finishRefused();
            return;
        }
        askNext();
    }

    void note(const QString &who, const QString &answer) { m_tried << QStringLiteral("%1: %2").arg(who, answer); }

    void askNext()
    {
        if (state() != State::Pending)
            return;
        m_stepTimer.reset();
        ++m_index;
        // Past the point kept for the last resort, everything before it is skipped.
        if (m_lastResortTaken && m_index < m_steps.size() - 1) {
            for (; m_index < m_steps.size() - 1; ++m_index)
                note(m_steps.at(m_index)->name(), QStringLiteral("skipped, out of time"));
        }
        if (m_index >= m_steps.size()) {
            finishRefused();
            return;
        }
        Inhibitor *step = m_steps.at(m_index);
        const bool last = m_index == m_steps.size() - 1;
        m_current = step->request(m_mode, m_reason);
        m_currentName = step->name();
        Grant *child = m_current.get();
        connect(child, &Grant::granted, this, [this, child](const QString &heldBy) { onGranted(child, heldBy); });
        connect(child, &Grant::refused, this, [this, child](const QString &why) { onRefused(child, why); });
        connect(child, &Grant::lost, this, [this, child](const QString &why) {
            if (child == m_current.get())
                markLost(QStringLiteral("%1: %2").arg(child->heldBy(), why));
        });
        if (child->state() == State::Held) {
            onGranted(child, child->heldBy());
            return;
        }
        if (child->state() == State::Refused) {
            onRefused(child, child->why());
            return;
        }
        if (!last) {
            QPointer<ChainGrant> self(this);
            m_stepTimer = m_clock.callAfter(std::chrono::milliseconds(m_timing.perStepMs), [self] {
                if (self)
                    self->giveUp(QStringLiteral("no answer in %1 ms").arg(self->m_timing.perStepMs));
            });
        }
    }

    void onGranted(Grant *child, const QString &heldBy)
    {
        if (child != m_current.get() || state() != State::Pending)
            return;
        m_stepTimer.reset();
        m_overall.reset();
        m_lastResortDue.reset();
        qCDebug(lcPower) << "held by" << heldBy << "after" << m_tried;
        markGranted(heldBy);
    }

    void onRefused(Grant *child, const QString &why)
    {
        if (child != m_current.get() || state() != State::Pending)
            return;
        note(m_currentName, why);
        retire(m_current);
        askNext();
    }

    void finishRefused()
    {
        m_stepTimer.reset();
        m_overall.reset();
        m_lastResortDue.reset();
        const QString summary =
            m_tried.isEmpty() ? QStringLiteral("no mechanism to ask") : m_tried.join(QLatin1String("; "));
        qCWarning(lcPower).noquote() << "Could not keep this computer awake (" << AssertionModes::rawValue(m_mode)
                                     << "):" << summary;
        markRefused(summary);
    }

    const QList<Inhibitor *> m_steps;
    const AssertionMode m_mode;
    const QString m_reason;
    Clock &m_clock;
    const InhibitorChain::Timing m_timing;
    qsizetype m_index = -1;
    bool m_lastResortTaken = false;
    std::unique_ptr<Grant> m_current;
    QString m_currentName;
    QStringList m_tried;
    Clock::Handle m_next, m_stepTimer, m_overall, m_lastResortDue;
};

} // namespace

InhibitorChain::InhibitorChain(Plan plan, Clock &clock, Timing timing, QObject *parent)
    : Inhibitor(parent),
      m_plan(std::move(plan)),
      m_clock(clock),
      m_timing(timing)
{
    for (Inhibitor *mechanism : mechanisms())
        connect(mechanism, &Inhibitor::serviceAppeared, this, &Inhibitor::serviceAppeared);
}

QList<Inhibitor *> InhibitorChain::mechanisms() const
{
    QList<Inhibitor *> all;
    for (const AssertionMode mode : AssertionModes::all) {
        for (Inhibitor *mechanism : m_plan(mode)) {
            if (!all.contains(mechanism))
                all << mechanism;
        }
    }
    return all;
}

std::unique_ptr<Grant> InhibitorChain::request(AssertionMode mode, const QString &reason)
{
    auto grant = std::make_unique<ChainGrant>(m_plan(mode), mode, reason, m_clock, m_timing);
    grant->begin();
    return grant;
}
