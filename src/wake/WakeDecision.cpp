// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/WakeDecision.h"

#include "wake/CorvaneTimerService.h"

#include <QCoreApplication>

namespace {
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(WakeDecision)
};

// Display and system asks for more than system only.
int strength(AssertionMode mode)
{
    return mode == AssertionMode::displayAndSystem ? 1 : 0;
}
} // namespace

QString WakeDecision::triggerReason(const QString &words)
{
    return Texts::tr("Corvane: keeping this computer awake while %1").arg(words);
}

WakeDecision WakeDecision::decide(const Inputs &inputs)
{
    WakeDecision decision;
    const bool triggersCount = inputs.triggersOnBattery || !inputs.onBattery;
    // The strongest trigger names the reason; among equals, the first.
    const Trigger *strongest = nullptr;
    AssertionMode strongestMode = AssertionMode::systemOnly;
    if (triggersCount) {
        for (const Trigger &trigger : inputs.triggers) {
            const AssertionMode mode = trigger.mode.value_or(inputs.panelMode);
            if (!strongest || strength(mode) > strength(strongestMode)) {
                strongest = &trigger;
                strongestMode = mode;
            }
        }
    }
    if (inputs.period) {
        // While the user's period runs it is the cause every surface names; the trigger
        // shows again once the period is over.
        decision.hold = true;
        decision.mode =
            strongest && strength(strongestMode) > strength(inputs.panelMode) ? strongestMode : inputs.panelMode;
        // The user's own period is the cause the user asked for: its text stays.
        decision.reason = CorvaneTimerService::reasonText(*inputs.period);
        return decision;
    }
    if (strongest) {
        decision.hold = true;
        decision.trigger = strongest->words;
        decision.mode = strongestMode;
        decision.reason = triggerReason(strongest->words);
    }
    return decision;
}
