// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/CorvaneTimerService.h"

#include "wake/Logging.h"
#include "wake/PowerAssertionManager.h"
#include "wake/PowerSource.h"
#include "wake/SettingSwitch.h"
#include "wake/SettingsStore.h"
#include "wake/SystemEvents.h"
#include "wake/TriggerSource.h"

#include <QPointer>
#include <cmath>

CorvaneTimerService::CorvaneTimerService(PowerAssertionManager &power, SettingsStore &defaults,
                                         TimerServiceEnvironment environment, QObject *parent)
    : QObject(parent),
      m_power(power),
      m_defaults(defaults),
      m_clock(environment.clock)
{
    const std::optional<AssertionMode> mode =
        AssertionModes::fromRawValue(m_defaults.string(modeKey).value_or(QString()));
    m_mode = mode.value_or(AssertionMode::displayAndSystem);
    if (!mode && m_defaults.contains(modeKey))
        qCWarning(lcSettings).noquote() << "Ignoring the stored" << modeKey << "(not a known mode); using"
                                        << AssertionModes::rawValue(m_mode);
    const std::optional<qint64> stored = m_defaults.integer(lastDurationKey);
    if (m_defaults.contains(lastDurationKey)) {
        m_lastDuration = WakeDuration::fromStored(stored.value_or(0));
        if (!stored)
            qCWarning(lcSettings).noquote()
                << "Ignoring the stored" << lastDurationKey << "(not a whole number); using until turned off";
        else if (*stored > WakeDuration::maxRestoredMinutes)
            qCWarning(lcSettings).noquote() << "The stored" << lastDurationKey << *stored << "is over the limit; using"
                                            << WakeDuration::maxRestoredMinutes;
    } else {
        m_lastDuration = WakeDuration::fromStored(std::nullopt);
    }

    // The connection dies with this object, so a late wake never reaches a dead service.
    connect(&environment.systemEvents, &SystemEvents::didWake, this, &CorvaneTimerService::tick);
    // The termination guard gave the inhibition back for a power-off that did not happen.
    connect(&environment.systemEvents, &SystemEvents::powerOffCancelled, this, &CorvaneTimerService::retake);
    connect(&m_power, &PowerAssertionManager::granted, this, &CorvaneTimerService::onGranted);
    connect(&m_power, &PowerAssertionManager::refused, this, &CorvaneTimerService::onRefused);
    connect(&m_power, &PowerAssertionManager::lost, this, &CorvaneTimerService::onLost);
    connect(&m_power, &PowerAssertionManager::heldByChanged, this, [this] {
        setHeldBy(m_power.heldBy());
        updateHeld();
    });
    connect(this, &CorvaneTimerService::activeChanged, this, &CorvaneTimerService::updateHeld);
    connect(this, &CorvaneTimerService::triggerChanged, this, &CorvaneTimerService::updateHeld);
    connect(this, &CorvaneTimerService::startingChanged, this, &CorvaneTimerService::updateHeld);
}

CorvaneTimerService::~CorvaneTimerService() = default;

double CorvaneTimerService::progress() const
{
    if (m_totalSeconds < 1)
        return 1.0;
    return double(m_remainingSeconds) / double(m_totalSeconds);
}

std::optional<QDateTime> CorvaneTimerService::endDate() const
{
    if (!m_active || m_active->isIndefinite())
        return std::nullopt;
    if (m_wallDeadline)
        return *m_wallDeadline;
    return m_clock.wallNow().addSecs(m_remainingSeconds);
}

QString CorvaneTimerService::reasonText(WakeDuration duration)
{
    if (duration.isIndefinite())
        return tr("Corvane: keeping this computer awake until turned off");
    return tr("Corvane: keeping this computer awake for %1").arg(formatMinutes(duration.minuteCount()));
}

void CorvaneTimerService::start(WakeDuration duration)
{
    ask(duration, std::nullopt);
}

void CorvaneTimerService::startUntil(const QDateTime &end)
{
    const qint64 seconds = std::max<qint64>(1, m_clock.wallNow().secsTo(end));
    ask(WakeDuration::minutes(std::min<qint64>((seconds + 59) / 60, WakeDuration::maxRestoredMinutes)), end);
}

void CorvaneTimerService::ask(WakeDuration duration, const std::optional<QDateTime> &until)
{
    ++m_periodSerial;
    m_abandoned = false;
    m_pendingUntil = until;
    setPendingStart(duration);
    const WakeDecision decision = decisionFor(duration);
    setTrigger(decision.trigger);
    askFor(decision);
}

void CorvaneTimerService::claim(WakeDuration duration, const std::optional<QDateTime> &until)
{
    m_wallDeadline = until;
    setAssertionFailed(false);
    setActive(duration);
    setLastDuration(duration);
    m_defaults.setInteger(lastDurationKey, duration.storedValue());

    if (duration.isIndefinite()) {
        m_deadline.reset();
        setTotalSeconds(0);
        setRemainingSeconds(0);
        m_ticker.reset();
        return;
    }
    const qint64 seconds = until ? std::max<qint64>(1, m_clock.wallNow().secsTo(*until)) : duration.minuteCount() * 60;
    m_deadline = m_clock.sinceBoot() + std::chrono::seconds(seconds);
    setTotalSeconds(seconds);
    setRemainingSeconds(seconds);
    scheduleTicker();
}

void CorvaneTimerService::onGranted()
{
    const bool answer = std::exchange(m_asking, false);
    m_granted = m_asked;
    if (answer && m_pendingStart && std::exchange(m_abandoned, false)) {
        // The new inhibition holds for the running period now; asked again under its reason.
        m_pendingUntil.reset();
        setPendingStart(std::nullopt);
        reconsider();
        return;
    }
    if (answer && m_pendingStart) {
        // Claimed before the start stops waiting, so whoever waits for it finds it in force.
        claim(*m_pendingStart, std::exchange(m_pendingUntil, std::nullopt));
        setPendingStart(std::nullopt);
        return;
    }
    // A switch, a retake, or a renewal after a loss.
    if (m_active)
        setAssertionFailed(false);
}

void CorvaneTimerService::onRefused()
{
    m_asking = false;
    const bool abandoned = std::exchange(m_abandoned, false);
    // What was held before is held still; a trigger asks again on its next change.
    m_asked = m_granted;
    if (m_pendingStart) {
        // A running period (if any) carries on with what it held; a start nobody waits
        // for any more fails quietly.
        if (!abandoned)
            setAssertionFailed(true);
        // A trigger's inhibition, if any, is what is held still: it is named again.
        setTrigger(decisionFor(m_active).trigger);
        setPendingStart(std::nullopt);
        return;
    }
    if (m_active) {
        setAssertionFailed(true);
        stop();
    }
}

void CorvaneTimerService::onLost()
{
    if (m_active)
        setAssertionFailed(true);
}

void CorvaneTimerService::retake()
{
    if (!m_asked.hold || m_asking)
        return;
    askFor(m_asked);
}

void CorvaneTimerService::stop()
{
    ++m_periodSerial;
    m_asking = false;
    m_abandoned = false;
    setPendingStart(std::nullopt);
    // Let go before the period is seen to end, unless a trigger holds on: then its own
    // inhibition comes first and the period's goes when it is in force.
    if (!decisionFor(std::nullopt).hold) {
        m_power.release();
        m_asked = m_granted = WakeDecision{};
    }
    // Named before the period is seen to end, so what holds on never looks let go.
    setTrigger(decisionFor(std::nullopt).trigger);
    setActive(std::nullopt);
    m_deadline.reset();
    m_wallDeadline.reset();
    setTotalSeconds(0);
    setRemainingSeconds(0);
    m_ticker.reset();
    reconsider();
}

void CorvaneTimerService::stopAll()
{
    m_triggersOff = true;
    stop();
}

void CorvaneTimerService::addTrigger(TriggerSource &source)
{
    TriggerSource *added = &source;
    m_triggers.append(added);
    connect(added, &TriggerSource::changed, this, &CorvaneTimerService::reconsider);
    // Only the pointer is used from here: the watcher's own parts are gone by now.
    connect(added, &QObject::destroyed, this, [this, added] {
        m_triggers.removeOne(added);
        reconsider();
    });
    reconsider();
}

void CorvaneTimerService::setTriggerPower(PowerSource &power, SettingSwitch &triggersOnBattery)
{
    m_powerSource = &power;
    m_triggersOnBattery = &triggersOnBattery;
    connect(&power, &PowerSource::changed, this, &CorvaneTimerService::reconsider);
    connect(&triggersOnBattery, &SettingSwitch::isOnChanged, this, &CorvaneTimerService::reconsider);
    reconsider();
}

WakeDecision CorvaneTimerService::decisionFor(const std::optional<WakeDuration> &period) const
{
    WakeDecision::Inputs inputs;
    inputs.period = period;
    inputs.panelMode = m_mode;
    inputs.onBattery = m_powerSource && m_powerSource->onBattery();
    inputs.triggersOnBattery = m_triggersOnBattery && m_triggersOnBattery->isOn();
    if (!m_triggersOff) {
        for (const TriggerSource *source : m_triggers)
            if (source->isActive())
                inputs.triggers.append({source->words(), source->wantedMode()});
    }
    return WakeDecision::decide(inputs);
}

void CorvaneTimerService::askFor(const WakeDecision &decision)
{
    m_asked = decision;
    m_asking = true;
    m_power.acquire(decision.mode, decision.reason);
}

void CorvaneTimerService::reconsider()
{
    const WakeDecision decision = decisionFor(m_pendingStart ? m_pendingStart : m_active);
    setTrigger(decision.trigger);
    if (!decision.hold) {
        if (m_asked.hold) {
            m_asking = false;
            m_power.release();
            m_asked = m_granted = WakeDecision{};
            updateHeld();
        }
        return;
    }
    if (decision.hold == m_asked.hold && decision.mode == m_asked.mode && decision.reason == m_asked.reason)
        return;
    askFor(decision);
}

void CorvaneTimerService::setTrigger(const QString &value)
{
    if (m_trigger == value)
        return;
    m_trigger = value;
    Q_EMIT triggerChanged();
}

void CorvaneTimerService::toggle()
{
    if (m_active || m_pendingStart)
        stop();
    else
        start(m_lastDuration);
}

void CorvaneTimerService::abandonStart()
{
    if (!m_pendingStart)
        return;
    if (!m_active)
        stop();
    else
        m_abandoned = true;
}

void CorvaneTimerService::setMode(AssertionMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    Q_EMIT modeChanged();
    m_defaults.setString(modeKey, AssertionModes::rawValue(mode));
    // A start waiting for its answer asks again in the new mode; so does a running period,
    // and a trigger that follows the panel's mode.
    reconsider();
}

void CorvaneTimerService::extend(qint64 minutes)
{
    if (!m_active || !m_deadline || minutes < 1)
        return;
    *m_deadline += std::chrono::minutes(minutes);
    if (m_wallDeadline)
        *m_wallDeadline = m_wallDeadline->addSecs(minutes * 60);
    setActive(WakeDuration::minutes(m_active->minuteCount() + minutes));
    setTotalSeconds(m_totalSeconds + minutes * 60);
    tick();
}

void CorvaneTimerService::scheduleTicker()
{
    m_ticker.reset();
    QPointer<CorvaneTimerService> self(this);
    // Coarse: the system may move each wake-up by up to 5 % to coalesce it with others,
    // which is well within the countdown's 0.1 s tolerance.
    m_ticker = m_clock.every(std::chrono::seconds(1), [self] {
        if (self)
            self->tick();
    });
}

void CorvaneTimerService::tick()
{
    if (!m_deadline)
        return;
    // An end on the wall clock follows the clock when it is set; any other end counts
    // real time, through suspend.
    const std::chrono::nanoseconds left = m_wallDeadline
        ? std::chrono::milliseconds(m_clock.wallNow().msecsTo(*m_wallDeadline))
        : *m_deadline - m_clock.sinceBoot();
    const qint64 r = qint64(std::ceil(double(left.count()) / 1e9));
    if (r >= 1)
        setRemainingSeconds(r);
    else
        stop();
}

void CorvaneTimerService::setActive(std::optional<WakeDuration> value)
{
    if (m_active == value)
        return;
    m_active = value;
    Q_EMIT activeChanged();
}

void CorvaneTimerService::setRemainingSeconds(qint64 value)
{
    if (m_remainingSeconds == value)
        return;
    m_remainingSeconds = value;
    Q_EMIT remainingSecondsChanged();
}

void CorvaneTimerService::setTotalSeconds(qint64 value)
{
    if (m_totalSeconds == value)
        return;
    m_totalSeconds = value;
    Q_EMIT totalSecondsChanged();
}

void CorvaneTimerService::setLastDuration(WakeDuration value)
{
    if (m_lastDuration == value)
        return;
    m_lastDuration = value;
    Q_EMIT lastDurationChanged();
}

void CorvaneTimerService::setPendingStart(std::optional<WakeDuration> value)
{
    const bool was = m_pendingStart.has_value();
    m_pendingStart = value;
    if (was != value.has_value())
        Q_EMIT startingChanged();
}

void CorvaneTimerService::setHeldBy(const QString &value)
{
    if (m_heldBy == value)
        return;
    m_heldBy = value;
    Q_EMIT heldByChanged();
}

void CorvaneTimerService::updateHeld()
{
    // A start waits with what was held before still in force.
    const bool now =
        (m_active.has_value() || m_pendingStart.has_value() || !m_trigger.isEmpty()) && m_power.heldMode().has_value();
    if (m_held == now)
        return;
    m_held = now;
    Q_EMIT heldChanged();
}

void CorvaneTimerService::setAssertionFailed(bool value)
{
    if (m_assertionFailed == value)
        return;
    m_assertionFailed = value;
    Q_EMIT assertionFailedChanged();
}
