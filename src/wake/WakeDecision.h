// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/AssertionMode.h"
#include "wake/WakeDuration.h"

#include <QList>
#include <QString>
#include <optional>

// What the one inhibition of the process should be, from every reason to stay awake: the
// user's period and the triggers whose condition holds. Pure, so every combination is
// checked without a bus.
struct WakeDecision {
    // A trigger whose condition holds.
    struct Trigger {
        QString words;
        std::optional<AssertionMode> mode; // absent: the panel's mode
    };
    struct Inputs {
        // The period running or waiting for its inhibition.
        std::optional<WakeDuration> period;
        AssertionMode panelMode = AssertionMode::displayAndSystem;
        QList<Trigger> triggers;
        bool onBattery = false;
        // The user lets triggers hold on battery too.
        bool triggersOnBattery = false;
    };

    bool hold = false;
    AssertionMode mode = AssertionMode::displayAndSystem;
    // For the system's list of inhibitions; empty when nothing is held.
    QString reason;
    // The words of the trigger that holds; empty when none does, and while a period runs:
    // then the period is the cause named everywhere, as in `reason`.
    QString trigger;

    static WakeDecision decide(const Inputs &inputs);
    // "Corvane: keeping this computer awake while mpv plays media".
    static QString triggerReason(const QString &words);

    bool operator==(const WakeDecision &) const = default;
};
