// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BootTimeClock.h"

#include <time.h>

std::chrono::nanoseconds BootTimeClock::now() const
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

QDateTime BootTimeClock::wallNow() const
{
    return QDateTime::currentDateTime();
}
