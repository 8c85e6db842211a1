// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CoarseTicker.h"

CoarseTicker::CoarseTicker(std::function<void()> onTick)
{
    m_timer.setTimerType(Qt::CoarseTimer);
    m_timer.setInterval(1000);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(onTick));
    m_timer.start();
}

TickerFactory CoarseTicker::factory()
{
    return [](std::function<void()> onTick) -> std::unique_ptr<Ticker> {
        return std::make_unique<CoarseTicker>(std::move(onTick));
    };
}
