// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

// A repeating one-second timer that runs from creation until it is destroyed.
class Ticker {
public:
    virtual ~Ticker() = default;
};

using TickerFactory = std::function<std::unique_ptr<Ticker>(std::function<void()> onTick)>;
