// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AnimationClock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <vector>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

// 2001-01-01 00:00:00 UTC in Unix seconds.
constexpr double referenceDateUnix = 978307200.0;

} // namespace

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

    FramePump()
    {
        // Precise: a coarse timer may fire up to 5 % early, which would break the promise
        // of never exceeding a subscriber's frame rate.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { deliver(); });
        m_clock.start();
    }

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

    quint64 delivered() const { return m_delivered; }

private:
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
            ++m_delivered;
            s->onFrame();
        }
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    std::vector<Subscriber *> m_subscribers;
    quint64 m_delivered = 0;
};

namespace {

class TimerSubscription : public FrameSubscription {
public:
    TimerSubscription(FramePump &pump, double minInterval, std::function<void()> onFrame)
        : m_pump(pump),
          m_subscriber{minInterval, 0.0, std::move(onFrame)}
    {
        m_pump.add(&m_subscriber);
    }
    ~TimerSubscription() override { m_pump.remove(&m_subscriber); }

private:
    FramePump &m_pump;
    FramePump::Subscriber m_subscriber;
};

} // namespace

SystemAnimationClock::SystemAnimationClock() : m_pump(std::make_unique<FramePump>())
{}

SystemAnimationClock::~SystemAnimationClock() = default;

double SystemAnimationClock::now() const
{
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    return duration<double>(since).count() - referenceDateUnix;
}

std::unique_ptr<FrameSubscription> SystemAnimationClock::frames(double minInterval, std::function<void()> onFrame)
{
    return std::make_unique<TimerSubscription>(*m_pump, minInterval, std::move(onFrame));
}

quint64 SystemAnimationClock::deliveredFrames() const
{
    return m_pump->delivered();
}

struct ManualAnimationClock::Entry {
    double minInterval;
    double last;
    std::function<void()> onFrame;
};

namespace {

class ManualSubscription : public FrameSubscription {
public:
    ManualSubscription(std::weak_ptr<ManualAnimationClock::Entries> subs, ManualAnimationClock::Entry *entry)
        : m_subs(std::move(subs)),
          m_entry(entry)
    {}
    ~ManualSubscription() override
    {
        if (auto subs = m_subs.lock())
            subs->erase(std::remove(subs->begin(), subs->end(), m_entry), subs->end());
        delete m_entry;
    }

private:
    std::weak_ptr<ManualAnimationClock::Entries> m_subs;
    ManualAnimationClock::Entry *m_entry;
};

} // namespace

ManualAnimationClock::ManualAnimationClock(double start) : m_now(start), m_subs(std::make_shared<Entries>())
{}

int ManualAnimationClock::activeSubscriptions() const
{
    return int(m_subs->size());
}

std::unique_ptr<FrameSubscription> ManualAnimationClock::frames(double minInterval, std::function<void()> onFrame)
{
    auto *entry = new Entry{minInterval, m_now, std::move(onFrame)};
    m_subs->push_back(entry);
    return std::make_unique<ManualSubscription>(m_subs, entry);
}

void ManualAnimationClock::advance(double seconds, double step)
{
    const double end = m_now + seconds;
    while (m_now < end) {
        m_now = std::min(end, m_now + step);
        deliverDue();
    }
}

void ManualAnimationClock::deliverDue()
{
    // A frame may start or stop subscriptions; only those present before and still present
    // when their turn comes are called.
    const Entries snapshot = *m_subs;
    for (Entry *e : snapshot) {
        if (std::find(m_subs->begin(), m_subs->end(), e) == m_subs->end())
            continue;
        if (m_now - e->last + 1e-9 >= e->minInterval) {
            e->last = m_now;
            ++m_delivered;
            e->onFrame();
        }
    }
}
