// SPDX-License-Identifier: GPL-3.0-or-later
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
    virtual std::unique_ptr<FrameSubscription> frames(double minInterval, std::function<void()> onFrame) = 0;
};

class FramePump;

// Wall-clock time, and frames from one timer shared by every subscription: it ticks at the
// fastest rate any of them asks for and stops when none is left. Built once by the
// composition root; it must outlive every view that animates with it.
class SystemAnimationClock : public AnimationClock {
public:
    SystemAnimationClock();
    ~SystemAnimationClock() override;

    double now() const override;
    std::unique_ptr<FrameSubscription> frames(double minInterval, std::function<void()> onFrame) override;

    // Frames delivered since start.
    quint64 deliveredFrames() const;

private:
    std::unique_ptr<FramePump> m_pump;
};

// Time that moves only when told to. Frames are delivered while advancing, with the same
// minimum interval rule as the system clock.
class ManualAnimationClock : public AnimationClock {
public:
    explicit ManualAnimationClock(double start = 0.0);

    double now() const override { return m_now; }
    std::unique_ptr<FrameSubscription> frames(double minInterval, std::function<void()> onFrame) override;

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
