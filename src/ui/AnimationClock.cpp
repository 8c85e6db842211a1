#include "ui/AnimationClock.h"

#include <QTimer>
#include <map>
#include <memory>
#include <vector>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

// 2001-01-01 00:00:00 UTC in Unix seconds.
constexpr double referenceDateUnix = 978307200.0;

AnimationClock *g_shared = nullptr;
quint64 g_systemFrames = 0;

// One precise timer per frame interval, shared by every subscriber with that interval, so
// all the views animating together repaint in one pass and the process wakes once per
// frame, not once per view.
class FramePump {
public:
    using Callback = std::function<void()>;

    static FramePump &forInterval(int ms)
    {
        static std::map<int, std::unique_ptr<FramePump>> pumps;
        auto &pump = pumps[ms];
        if (!pump)
            pump.reset(new FramePump(ms));
        return *pump;
    }

    void add(Callback *callback)
    {
        m_callbacks.push_back(callback);
        if (!m_timer.isActive())
            m_timer.start();
    }

    void remove(Callback *callback)
    {
        m_callbacks.erase(std::remove(m_callbacks.begin(), m_callbacks.end(), callback), m_callbacks.end());
        if (m_callbacks.empty())
            m_timer.stop();
    }

private:
    explicit FramePump(int ms)
    {
        // Precise: a coarse timer may fire up to 5 % early, which would break the promise
        // of never exceeding the frame rate.
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(ms);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { deliver(); });
    }

    void deliver()
    {
        // A frame may start or stop subscriptions: call only those present before that are
        // still present when their turn comes.
        const std::vector<Callback *> snapshot = m_callbacks;
        for (Callback *callback : snapshot) {
            if (std::find(m_callbacks.begin(), m_callbacks.end(), callback) == m_callbacks.end())
                continue;
            ++g_systemFrames;
            (*callback)();
        }
    }

    QTimer m_timer;
    std::vector<Callback *> m_callbacks;
};

class TimerSubscription : public FrameSubscription {
public:
    TimerSubscription(double minInterval, std::function<void()> onFrame)
        : m_onFrame(std::move(onFrame)),
          m_pump(FramePump::forInterval(std::max(1, int(std::ceil(minInterval * 1000.0)))))
    {
        m_pump.add(&m_onFrame);
    }
    ~TimerSubscription() override { m_pump.remove(&m_onFrame); }

private:
    std::function<void()> m_onFrame;
    FramePump &m_pump;
};

} // namespace

AnimationClock *AnimationClock::shared()
{
    if (!g_shared) {
        static SystemAnimationClock system;
        g_shared = &system;
    }
    return g_shared;
}

void AnimationClock::setShared(AnimationClock *clock) { g_shared = clock; }

double SystemAnimationClock::now() const
{
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    return duration<double>(since).count() - referenceDateUnix;
}

std::unique_ptr<FrameSubscription> SystemAnimationClock::frames(double minInterval,
                                                                std::function<void()> onFrame)
{
    return std::make_unique<TimerSubscription>(minInterval, std::move(onFrame));
}

quint64 SystemAnimationClock::deliveredFrames() { return g_systemFrames; }

struct ManualAnimationClock::Entry {
    double minInterval;
    double last;
    std::function<void()> onFrame;
};

namespace {

class ManualSubscription : public FrameSubscription {
public:
    ManualSubscription(std::weak_ptr<ManualAnimationClock::Entries> subs,
                       ManualAnimationClock::Entry *entry)
        : m_subs(std::move(subs)), m_entry(entry) {}
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

ManualAnimationClock::ManualAnimationClock(double start)
    : m_now(start), m_subs(std::make_shared<Entries>())
{
}

int ManualAnimationClock::activeSubscriptions() const { return int(m_subs->size()); }

std::unique_ptr<FrameSubscription> ManualAnimationClock::frames(double minInterval,
                                                                std::function<void()> onFrame)
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
