// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Ticker.h"

#include <QTimer>

// A 1 s coarse QTimer: the system may move each wake-up by up to 5 % so it can coalesce
// it with others, which is well within the countdown's 0.1 s tolerance.
class CoarseTicker : public Ticker {
public:
    explicit CoarseTicker(std::function<void()> onTick);

    static TickerFactory factory();

private:
    QTimer m_timer;
};
