#pragma once

#include "wake/ContinuousClock.h"
#include "wake/Ticker.h"
#include "wake/AssertionMode.h"
#include "wake/WakeDuration.h"

#include <QDateTime>
#include <QObject>
#include <chrono>
#include <memory>
#include <optional>

class PowerAssertionManager;
class SettingsStore;
class SystemEvents;

// What the timer service runs on; tests replace each part.
struct TimerServiceEnvironment {
    const ContinuousClock &clock; // counts through suspend
    TickerFactory tickers;        // one-second ticks
    SystemEvents &systemEvents;   // resume from suspend forces a tick
};

// Runs the wake period: takes and gives back the inhibition, counts down once a second
// against a deadline on a clock that keeps running through suspend, ends the period by
// itself, and remembers the last duration and the mode. Main thread only.
class CorvaneTimerService : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<WakeDuration> active READ active NOTIFY activeChanged)
    Q_PROPERTY(qint64 remainingSeconds READ remainingSeconds NOTIFY remainingSecondsChanged)
    Q_PROPERTY(qint64 totalSeconds READ totalSeconds NOTIFY totalSecondsChanged)
    Q_PROPERTY(AssertionMode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(WakeDuration lastDuration READ lastDuration NOTIFY lastDurationChanged)
    Q_PROPERTY(bool assertionFailed READ assertionFailed NOTIFY assertionFailedChanged)

public:
    static inline const QString lastDurationKey = QStringLiteral("corvane.lastDuration");
    static inline const QString modeKey = QStringLiteral("corvane.mode");

    CorvaneTimerService(PowerAssertionManager &power, SettingsStore &defaults,
                        TimerServiceEnvironment environment, QObject *parent = nullptr);
    ~CorvaneTimerService() override;

    std::optional<WakeDuration> active() const { return m_active; }
    qint64 remainingSeconds() const { return m_remainingSeconds; }
    qint64 totalSeconds() const { return m_totalSeconds; }
    AssertionMode mode() const { return m_mode; }
    WakeDuration lastDuration() const { return m_lastDuration; }
    bool assertionFailed() const { return m_assertionFailed; }

    // 1.0 at the start of a timed period (and whenever there is none), falling towards 0.
    double progress() const;
    // When a timed period will end, on the wall clock; absent otherwise.
    std::optional<QDateTime> endDate() const;

    void start(WakeDuration duration);
    void stop();
    void setMode(AssertionMode mode);
    // Moves the end of a timed period `minutes` later; the inhibition is kept as it is.
    void extend(qint64 minutes);

    // The reason shown in the system's list of inhibitions.
    static QString reasonText(WakeDuration duration);

Q_SIGNALS:
    void activeChanged();
    void remainingSecondsChanged();
    void totalSecondsChanged();
    void modeChanged();
    void lastDurationChanged();
    void assertionFailedChanged();

private:
    void tick();
    void scheduleTicker();

    void setActive(std::optional<WakeDuration> value);
    void setRemainingSeconds(qint64 value);
    void setTotalSeconds(qint64 value);
    void setLastDuration(WakeDuration value);
    void setAssertionFailed(bool value);

    std::optional<WakeDuration> m_active;
    qint64 m_remainingSeconds = 0;
    qint64 m_totalSeconds = 0;
    AssertionMode m_mode = AssertionMode::displayAndSystem;
    WakeDuration m_lastDuration = WakeDuration::indefinite();
    bool m_assertionFailed = false;

    PowerAssertionManager &m_power;
    SettingsStore &m_defaults;
    const ContinuousClock &m_clock;
    TickerFactory m_tickers;
    std::optional<std::chrono::nanoseconds> m_deadline;
    std::unique_ptr<Ticker> m_ticker;
};
