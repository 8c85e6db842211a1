// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/WakeDuration.h"

#include <QList>

// The durations offered at one click, in the order every surface lists them: the panel's
// pills and the tray menu's rows read this one list.
struct DurationPresets {
    static inline const QList<WakeDuration> all = {
        WakeDuration::minutes(15),  WakeDuration::minutes(60),   WakeDuration::minutes(240),
        WakeDuration::minutes(480), WakeDuration::minutes(1440), WakeDuration::indefinite(),
    };
};
