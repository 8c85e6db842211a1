// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Clock.h"
#include "wake/Inhibitor.h"

#include <QList>
#include <functional>

// Asks a list of mechanisms in order until one grants. The list for each mode is data
// (the plan), so each desktop gets its order without an if-ladder. One overall deadline
// covers the walk, and the last mechanism (the last resort) always gets the end of it: a
// service that hangs costs at most its share, never the whole chain.
class InhibitorChain : public Inhibitor {
    Q_OBJECT
public:
    struct Timing {
        int budgetMs = 1800; // the whole walk
        int lastResortMs = 600; // kept for the last mechanism
        int perStepMs = 450; // the most any other mechanism may take
    };
    using Plan = std::function<QList<Inhibitor *>(AssertionMode)>;

    // The mechanisms a plan names must outlive the chain.
    InhibitorChain(Plan plan, Clock &clock, Timing timing, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("chain"); }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

    // Every mechanism the plan names for either mode, once.
    QList<Inhibitor *> mechanisms() const;

private:
    Plan m_plan;
    Clock &m_clock;
    Timing m_timing;
};
