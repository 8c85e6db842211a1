#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

// A frame subscription: frames arrive until the object is destroyed.
class FrameSubscription {
public:
    virtual ~FrameSubscription() = default;
};

// The time base of every animation and timeline in the interface. Views never read the
// system clock or start timers themselves, so tests and the gallery can step time by hand.
class AnimationClock {
public:
    virtual ~AnimationClock() = default;

    // Seconds since 2001-01-01 00:00:00 UTC: pulsing views derive their phase from it, so
    // two of them on screen pulse in step however late either appeared.
    virtual double now() const = 0;

    // Calls onFrame repeatedly, never sooner than minInterval seconds after the previous
    // call, until the returned subscription is destroyed.
    virtual std::unique_ptr<FrameSubscription> frames(double minInterval,
                                                      std::function<void()> onFrame) = 0;

    // The clock views use when none is given: the system clock unless replaced.
    static AnimationClock *shared();
    static void setShared(AnimationClock *clock);
};

// Wall-clock time and QTimer frames.
class SystemAnimationClock : public AnimationClock {
public:
    double now() const override;
    std::unique_ptr<FrameSubscription> frames(double minInterval,
                                              std::function<void()> onFrame) override;

    // Frames delivered by every system clock since start: the number of timer wake-ups
    // the interface caused. Read by the benchmark.
    static quint64 deliveredFrames();
};

// Time that moves only when told to. Frames are delivered while advancing, with the same
// minimum interval rule as the system clock.
class ManualAnimationClock : public AnimationClock {
public:
    explicit ManualAnimationClock(double start = 0.0);

    double now() const override { return m_now; }
    std::unique_ptr<FrameSubscription> frames(double minInterval,
                                              std::function<void()> onFrame) override;

    void setNow(double t) { m_now = t; }
    // Moves time forward in steps of at most `step` seconds, delivering due frames after
    // each step.
    void advance(double seconds, double step = 1.0 / 120.0);

    int activeSubscriptions() const;
    quint64 deliveredFrames() const { return m_delivered; }

    struct Entry;
    using Entries = std::vector<Entry *>;

private:
    void deliverDue();

    double m_now;
    // Shared with the subscriptions, which may outlive the clock in a test.
    std::shared_ptr<Entries> m_subs;
    quint64 m_delivered = 0;
};
