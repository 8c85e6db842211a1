// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Inhibitor.h"

#include <QPointer>
#include <QStringList>
#include <set>
#include <vector>

// An inhibitor that records every call ("acquire displayAndSystem <reason>", "release 3")
// and answers as told: at once (granting, or refusing when `refuse` is set), or, with
// `answerLater`, only when the test calls answer(). Grants can be made to lose.
class RecordingInhibitor : public Inhibitor {
public:
    class FakeGrant : public Grant {
    public:
        FakeGrant(RecordingInhibitor &owner, quint32 id) : m_owner(owner), m_id(id) {}
        void answer(bool yes)
        {
            if (!yes) {
                markRefused(QStringLiteral("refused"));
                return;
            }
            m_owner.live.insert(m_id);
            markGranted(m_owner.mechanismName);
        }
        void lose(const QString &why)
        {
            m_owner.live.erase(m_id);
            markLost(why);
        }

    protected:
        void giveBack(State before) override
        {
            if (before != State::Held)
                return;
            m_owner.log << QStringLiteral("release %1").arg(m_id);
            m_owner.live.erase(m_id);
        }

    private:
        RecordingInhibitor &m_owner;
        const quint32 m_id;
    };

    QString mechanismName = QStringLiteral("Recording");
    QString name() const override { return mechanismName; }

    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override
    {
        auto grant = std::make_unique<FakeGrant>(*this, nextId++);
        issued.push_back(grant.get());
        log << QStringLiteral("acquire %1 %2").arg(AssertionModes::rawValue(mode), reason);
        if (answerLater)
            waiting.push_back(grant.get());
        else
            grant->answer(!refuse);
        return grant;
    }

    // Answers the oldest waiting request (if it still exists).
    void answer(bool yes)
    {
        while (!waiting.empty()) {
            QPointer<FakeGrant> next = waiting.front();
            waiting.erase(waiting.begin());
            if (next && next->state() == Grant::State::Pending) {
                next->answer(yes);
                return;
            }
        }
    }

    // Every held grant reports a loss, as when its service restarts.
    void loseHeld(const QString &why = QStringLiteral("restarted"))
    {
        for (auto &grant : issued) {
            if (grant && grant->state() == Grant::State::Held)
                grant->lose(why);
        }
    }

    std::vector<QPointer<FakeGrant>> issued;
    QStringList log;
    std::set<quint32> live;
    bool refuse = false;
    bool answerLater = false;
    quint32 nextId = 1;
    std::vector<QPointer<FakeGrant>> waiting;
};
