// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/CheckTimer.h"

#include <QTimer>

class QtCheckTimer : public CheckTimer {
public:
    QtCheckTimer();
    void start(std::chrono::milliseconds delay, std::function<void()> onTimeout) override;
    void stop() override;

private:
    QTimer m_timer;
    std::function<void()> m_onTimeout;
};
