// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WheelClock.h"

WheelClock::WheelClock(QObject *parent) : QObject(parent)
{
    m_elapsed.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(16);
    connect(&m_timer, &QTimer::timeout, this, &WheelClock::frame);
}

double WheelClock::now() const
{
    return static_cast<double>(m_elapsed.nsecsElapsed()) / 1e9;
}

void WheelClock::wantFrames()
{
    if (m_wanted++ == 0)
        setRunning(true);
}

void WheelClock::stopWantingFrames()
{
    if (m_wanted > 0 && --m_wanted == 0)
        setRunning(false);
}

void WheelClock::setRunning(bool running)
{
    if (running)
        m_timer.start();
    else
        m_timer.stop();
}
