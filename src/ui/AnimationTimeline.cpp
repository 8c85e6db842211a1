// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AnimationTimeline.h"

#include <QEvent>

AnimationTimeline::AnimationTimeline(QWidget *host, Clock &clock, double minInterval, std::function<void()> onFrame)
    : QObject(host),
      m_host(host),
      m_clock(&clock),
      m_interval(minInterval),
      m_onFrame(onFrame ? std::move(onFrame) : std::function<void()>([host] { host->update(); }))
{
    host->installEventFilter(this);
    watchWindow();
}

AnimationTimeline::~AnimationTimeline() = default;

void AnimationTimeline::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    reevaluate();
}

void AnimationTimeline::watchWindow()
{
    QWidget *window = m_host->window();
    if (window == m_window)
        return;
    if (m_window && m_window != m_host)
        m_window->removeEventFilter(this);
    m_window = window;
    if (window != m_host)
        window->installEventFilter(this);
}

bool AnimationTimeline::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        if (watched == m_host)
            watchWindow();
        reevaluate();
        break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange: reevaluate(); break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

void AnimationTimeline::reevaluate()
{
    const bool seen = m_host->isVisible() && !(m_window && m_window->isMinimized());
    const bool run = m_active && seen;
    if (run == isRunning())
        return;
    if (run)
        m_subscription = m_clock->frames(m_interval, m_onFrame);
    else
        m_subscription.reset();
}
