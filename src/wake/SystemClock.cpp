// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/SystemClock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <time.h>
#include <vector>

// One precise timer for every animation in the process. It ticks at the fastest rate any
// subscriber asks for and calls each subscriber only once its own interval has passed, so
// a slow pulse and a quick transition share wake-ups instead of each waking the process on
// its own beat; with no subscriber it stops.
class FramePump {
public:
    struct Subscriber {
        double interval; // seconds
        double last; // monotonic seconds of the last frame delivered
        std::function<void()> onFrame;
    };

    FramePump()
    {
        // Precise: a coarse timer may fire up to 5 % early, which would break the promise
        // of never exceeding a subscriber's frame rate.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { deliver(); });
        m_clock.start();
    }

    void add(Subscriber *subscriber)
    {
        subscriber->last = monotonic();
        m_subscribers.push_back(subscriber);
        retime();
    }

    void remove(Subscriber *subscriber)
    {
        m_subscribers.erase(std::remove(m_subscribers.begin(), m_subscribers.end(), subscriber), m_subscribers.end());
        retime();
    }

private:
    double monotonic() const { return double(m_clock.nsecsElapsed()) / 1e9; }

    void retime()
    {
        if (m_subscribers.empty()) {
            m_timer.stop();
            return;
        }
        double fastest = m_subscribers.front()->interval;
        for (const Subscriber *s : m_subscribers)
            fastest = std::min(fastest, s->interval);
        const int ms = std::max(1, int(std::ceil(fastest * 1000.0)));
        if (!m_timer.isActive() || m_timer.interval() != ms)
            m_timer.start(ms);
    }

    void deliver()
    {
        const double now = monotonic();
        // A frame may start or stop subscriptions: call only those present before that are
        // still present when their turn comes. A tick that comes a little early for a slower
        // subscriber still counts (half a millisecond), or it would skip to the tick after.
        const std::vector<Subscriber *> snapshot = m_subscribers;
        for (Subscriber *s : snapshot) {
            if (std::find(m_subscribers.begin(), m_subscribers.end(), s) == m_subscribers.end())
                continue;
            if (now - s->last + 0.0005 < s->interval)
                continue;
            s->last = now;
            const auto onFrame = s->onFrame; // a frame may end its own subscription
            onFrame();
        }
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    std::vector<Subscriber *> m_subscribers;
};

namespace {

class FrameSubscription {
public:
    FrameSubscription(FramePump &pump, double minInterval, std::function<void()> onFrame)
        : m_pump(pump),
          m_subscriber{minInterval, 0.0, std::move(onFrame)}
    {
        m_pump.add(&m_subscriber);
    }
    ~FrameSubscription() { m_pump.remove(&m_subscriber); }
    FrameSubscription(const FrameSubscription &) = delete;
    FrameSubscription &operator=(const FrameSubscription &) = delete;

private:
    FramePump &m_pump;
    FramePump::Subscriber m_subscriber;
};

} // namespace

SystemClock::SystemClock() : m_pump(std::make_unique<FramePump>())
{}

SystemClock::~SystemClock() = default;

std::chrono::nanoseconds SystemClock::sinceBoot() const
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

QDateTime SystemClock::wallNow() const
{
    return QDateTime::currentDateTime();
}

Clock::Handle SystemClock::frames(double minInterval, std::function<void()> onFrame)
{
    return std::make_shared<FrameSubscription>(*m_pump, minInterval, std::move(onFrame));
}

Clock::Handle SystemClock::startTimer(std::chrono::milliseconds interval, bool repeat, Qt::TimerType precision,
                                      std::function<void()> call)
{
    auto *timer = new QTimer;
    timer->setSingleShot(!repeat);
    timer->setTimerType(precision);
    QObject::connect(timer, &QTimer::timeout, timer, std::move(call));
    // QTimer counts in int milliseconds; a longer wait (weeks) simply comes a little early.
    timer->start(std::chrono::milliseconds(std::clamp<qint64>(interval.count(), 0, std::numeric_limits<int>::max())));
    // Callers often replace a handle from inside its own call (a retry scheduling the next
    // one), so the timer is stopped at once but deleted only once its signal has returned.
    return Handle(timer, [](QTimer *t) {
        t->stop();
        t->deleteLater();
    });
}
