// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/QtCheckTimer.h"

QtCheckTimer::QtCheckTimer()
{
    m_timer.setSingleShot(true);
    // A day-long wait needs no precision, and a coarse timer lets the system batch wake-ups.
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_onTimeout)
            m_onTimeout();
    });
}

void QtCheckTimer::start(std::chrono::milliseconds delay, std::function<void()> onTimeout)
{
    m_onTimeout = std::move(onTimeout);
    // QTimer counts in int milliseconds; longer waits simply check a little early.
    m_timer.start(std::chrono::milliseconds(std::clamp<qint64>(delay.count(), 0, std::numeric_limits<int>::max())));
}

void QtCheckTimer::stop()
{
    m_timer.stop();
}
