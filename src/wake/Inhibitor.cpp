// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/Inhibitor.h"

#include <QPointer>
#include <QTimer>

namespace {
class RefusedGrant : public Grant {
public:
    void refuseLater(const QString &why)
    {
        QPointer<RefusedGrant> self(this);
        QTimer::singleShot(0, this, [self, why] {
            if (self)
                self->markRefused(why);
        });
    }

protected:
    void giveBack(State) override {}
};
} // namespace

std::unique_ptr<Grant> refusedGrant(const QString &why)
{
    auto grant = std::make_unique<RefusedGrant>();
    grant->refuseLater(why);
    return grant;
}

Grant::~Grant() = default;

void Grant::release()
{
    const State before = m_state.exchange(State::Released);
    if (before != State::Released)
        giveBack(before);
}

bool Grant::advance(State from, State to)
{
    return m_state.compare_exchange_strong(from, to);
}

void Grant::markGranted(const QString &heldBy)
{
    if (!advance(State::Pending, State::Held))
        return;
    m_heldBy = heldBy;
    Q_EMIT granted(heldBy);
}

void Grant::markRefused(const QString &why)
{
    if (!advance(State::Pending, State::Refused))
        return;
    m_why = why;
    Q_EMIT refused(why);
}

void Grant::markLost(const QString &why)
{
    if (!advance(State::Held, State::Lost))
        return;
    m_why = why;
    Q_EMIT lost(why);
}
