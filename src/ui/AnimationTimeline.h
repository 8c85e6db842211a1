// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Clock.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

// Redraws a view on the animation schedule while it is wanted and can be seen. While the
// timeline is inactive, or its view or window is hidden or minimised, no timer exists at all,
// so an idle interface causes no wake-ups.
class AnimationTimeline : public QObject {
    Q_OBJECT
public:
    // The slowest frame interval any pulsing view uses: at most 30 redraws a second.
    static constexpr double minimumInterval = 1.0 / 30.0;
    // Pulsing that lasts as long as a wake period (the dot's ring, the breathing glows):
    // smooth enough for a slow ring, and few enough frames that an open panel stays within
    // its wake-up budget.
    static constexpr double ambientInterval = 1.0 / 15.0;

    // onFrame defaults to host->update().
    AnimationTimeline(QWidget *host, Clock &clock, double minInterval = minimumInterval,
                      std::function<void()> onFrame = {});
    ~AnimationTimeline() override;

    void setActive(bool active);
    bool isActive() const { return m_active; }
    // True while frames are being delivered.
    bool isRunning() const { return m_subscription != nullptr; }

    Clock *clock() const { return m_clock; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchWindow();
    void reevaluate();

    QWidget *m_host;
    QPointer<QWidget> m_window;
    Clock *m_clock;
    double m_interval;
    std::function<void()> m_onFrame;
    bool m_active = false;
    Clock::Handle m_subscription;
};
