// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Clock.h"
#include "wake/AssertionMode.h"
#include "wake/WakeDecision.h"
#include "wake/WakeDuration.h"

#include <QDateTime>
#include <QObject>
#include <chrono>
#include <memory>
#include <optional>

class PowerAssertionManager;
class PowerSource;
class SettingSwitch;
class SettingsStore;
class SystemEvents;
class TriggerSource;

// What the timer service runs on; tests replace each part.
struct TimerServiceEnvironment {
    Clock &clock; // deadlines on the clock that counts through suspend, one-second ticks
    SystemEvents &systemEvents; // resume from suspend forces a tick
};

// Runs the wake period: takes and gives back the inhibition, counts down once a second
// against a deadline on a clock that keeps running through suspend, ends the period by
// itself, and remembers the last duration and the mode. Main thread only.
//
// Taking the inhibition is asynchronous: start() asks, and the period is claimed (active,
// counts, stored duration) only once the inhibition is held; meanwhile `starting` is true
// and nothing else changes. A change of mode or duration of a running period takes the new
// inhibition before the old one goes. While a period runs, the inhibition is held for as
// long as it is shown: a loss is renewed at once, and shown through assertionFailed until
// something holds again. `held` tells whether the running period really keeps the computer
// awake at this moment; a period that has lost its inhibition runs on with `held` false.
//
// Triggers are the other reasons to stay awake. The one inhibition is held while the period
// runs or any trigger's condition holds, in the strongest mode any of them wants; a change
// of reason or mode takes the new inhibition before the old one goes. The period's state
// (active, countdown, last duration) stays the period's: stopping it leaves what a trigger
// holds, and a period ending while a trigger holds keeps the computer awake.
class CorvaneTimerService : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<WakeDuration> active READ active NOTIFY activeChanged)
    Q_PROPERTY(qint64 remainingSeconds READ remainingSeconds NOTIFY remainingSecondsChanged)
    Q_PROPERTY(qint64 totalSeconds READ totalSeconds NOTIFY totalSecondsChanged)
    Q_PROPERTY(AssertionMode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(WakeDuration lastDuration READ lastDuration NOTIFY lastDurationChanged)
    Q_PROPERTY(bool assertionFailed READ assertionFailed NOTIFY assertionFailedChanged)
    Q_PROPERTY(bool starting READ starting NOTIFY startingChanged)
    Q_PROPERTY(QString heldBy READ heldBy NOTIFY heldByChanged)
    Q_PROPERTY(bool held READ held NOTIFY heldChanged)
    Q_PROPERTY(QString trigger READ trigger NOTIFY triggerChanged)

public:
    static inline const QString lastDurationKey = QStringLiteral("corvane.lastDuration");
    static inline const QString modeKey = QStringLiteral("corvane.mode");

    CorvaneTimerService(PowerAssertionManager &power, SettingsStore &defaults, TimerServiceEnvironment environment,
                        QObject *parent = nullptr);
    ~CorvaneTimerService() override;

    std::optional<WakeDuration> active() const { return m_active; }
    qint64 remainingSeconds() const { return m_remainingSeconds; }
    qint64 totalSeconds() const { return m_totalSeconds; }
    AssertionMode mode() const { return m_mode; }
    WakeDuration lastDuration() const { return m_lastDuration; }
    bool assertionFailed() const { return m_assertionFailed; }
    // A start is waiting for the inhibition.
    bool starting() const { return m_pendingStart.has_value(); }
    // Changes with every start and every end of a period, whoever asked: lets a caller
    // tell whether the period it started is still the one running.
    quint64 periodSerial() const { return m_periodSerial; }
    // The mechanism keeping the computer awake ("GNOME Session Manager"), empty when none.
    QString heldBy() const { return m_heldBy; }
    // An inhibition keeps the computer awake for the running period or for a trigger.
    bool held() const { return m_held; }
    // What keeps the computer awake without a period ("mpv plays media", "blender runs",
    // "someone is logged in remotely"); empty while no trigger holds.
    QString trigger() const { return m_trigger; }

    // 1.0 at the start of a timed period (and whenever there is none), falling towards 0.
    double progress() const;
    // When a timed period will end, on the wall clock; absent otherwise.
    std::optional<QDateTime> endDate() const;

    void start(WakeDuration duration);
    // A timed period that ends when the wall clock reaches `end` (its length shown in
    // minutes to it), however the clock is set or changes its offset meanwhile.
    void startUntil(const QDateTime &end);
    void stop();
    // The quick toggle: ends the period, or the start still waiting for its answer (the
    // last intent wins), else starts one with the last duration.
    void toggle();
    // Drops the start still waiting for its answer, as though it had never been asked (its
    // caller gave up on it): a running period goes on with its own end and reason.
    void abandonStart();
    void setMode(AssertionMode mode);
    // Moves the end of a timed period `minutes` later; the inhibition is kept as it is.
    void extend(qint64 minutes);
    // Ends the period and lets go of what triggers hold, for good: the program is leaving.
    void stopAll();

    // A reason to stay awake besides the period, followed until it is destroyed.
    void addTrigger(TriggerSource &source);
    // Triggers hold nothing on battery unless `triggersOnBattery` is on. Without a power
    // source the computer counts as on mains.
    void setTriggerPower(PowerSource &power, SettingSwitch &triggersOnBattery);

    // The reason shown in the system's list of inhibitions.
    static QString reasonText(WakeDuration duration);

Q_SIGNALS:
    void activeChanged();
    void remainingSecondsChanged();
    void totalSecondsChanged();
    void modeChanged();
    void lastDurationChanged();
    void assertionFailedChanged();
    void startingChanged();
    void heldByChanged();
    void heldChanged();
    void triggerChanged();

private:
    void tick();
    void scheduleTicker();
    void claim(WakeDuration duration, const std::optional<QDateTime> &until);
    void ask(WakeDuration duration, const std::optional<QDateTime> &until);
    void onGranted();
    void onRefused();
    void onLost();
    void retake();
    void setPendingStart(std::optional<WakeDuration> value);
    void setHeldBy(const QString &value);
    void updateHeld();
    WakeDecision decisionFor(const std::optional<WakeDuration> &period) const;
    void askFor(const WakeDecision &decision);
    // Brings the inhibition in line with every reason to stay awake; asks only on a change.
    void reconsider();
    void setTrigger(const QString &value);

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
    QString m_heldBy;
    bool m_held = false;
    QString m_trigger;
    quint64 m_periodSerial = 0;
    // What the inhibition in flight is for: a start of that duration, or (absent) the
    // running period's new mode or a retake.
    std::optional<WakeDuration> m_pendingStart;
    std::optional<QDateTime> m_pendingUntil;
    bool m_asking = false;
    // The pending start was given up on while a period runs: its answer must not claim.
    bool m_abandoned = false;
    // What was asked for last, and what the last grant holds.
    WakeDecision m_asked;
    WakeDecision m_granted;
    QList<TriggerSource *> m_triggers;
    PowerSource *m_powerSource = nullptr;
    SettingSwitch *m_triggersOnBattery = nullptr;
    bool m_triggersOff = false;

    PowerAssertionManager &m_power;
    SettingsStore &m_defaults;
    Clock &m_clock;
    std::optional<std::chrono::nanoseconds> m_deadline;
    // Set for a period that ends at a time on the wall clock; the deadline above is then unused.
    std::optional<QDateTime> m_wallDeadline;
    Clock::Handle m_ticker;
};
