// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/DelayedCall.h"

#include <QTimer>

namespace DelayedCall {
DelayedCallScheduler mainThread()
{
    return [](int delayMs, std::function<void()> call) -> DelayedCallHandle {
        auto timer = std::make_shared<QTimer>();
        timer->setSingleShot(true);
        QObject::connect(timer.get(), &QTimer::timeout, timer.get(), std::move(call));
        timer->start(delayMs);
        return timer;
    };
}
} // namespace DelayedCall
