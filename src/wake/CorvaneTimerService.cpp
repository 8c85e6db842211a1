#include "wake/CorvaneTimerService.h"

#include "wake/Logging.h"
#include "wake/PowerAssertionManager.h"
#include "wake/SettingsStore.h"
#include "wake/SystemEvents.h"

#include <QPointer>
#include <cmath>

CorvaneTimerService::CorvaneTimerService(PowerAssertionManager &power, SettingsStore &defaults,
                                         TimerServiceEnvironment environment, QObject *parent)
    : QObject(parent),
      m_power(power),
      m_defaults(defaults),
      m_clock(environment.clock),
      m_tickers(std::move(environment.tickers))
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
            qCWarning(lcSettings).noquote() << "Ignoring the stored" << lastDurationKey
                                            << "(not a whole number); using until turned off";
        else if (*stored > WakeDuration::maxRestoredMinutes)
            qCWarning(lcSettings).noquote() << "The stored" << lastDurationKey << *stored << "is over the limit; using"
                                            << WakeDuration::maxRestoredMinutes;
    } else {
        m_lastDuration = WakeDuration::fromStored(std::nullopt);
    }

    // The connection dies with this object, so a late wake never reaches a dead service.
    connect(&environment.systemEvents, &SystemEvents::didWake, this, &CorvaneTimerService::tick);
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
    if (!m_power.acquire(m_mode, reasonText(duration))) {
        setAssertionFailed(true);
        return;
    }
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
    const qint64 seconds = duration.minuteCount() * 60;
    m_deadline = m_clock.now() + std::chrono::seconds(seconds);
    setTotalSeconds(seconds);
    setRemainingSeconds(seconds);
    scheduleTicker();
}

void CorvaneTimerService::stop()
{
    m_power.release();
    setActive(std::nullopt);
    m_deadline.reset();
    setTotalSeconds(0);
    setRemainingSeconds(0);
    m_ticker.reset();
}

void CorvaneTimerService::setMode(AssertionMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    Q_EMIT modeChanged();
    m_defaults.setString(modeKey, AssertionModes::rawValue(mode));
    if (!m_active)
        return;
    if (!m_power.acquire(mode, reasonText(*m_active))) {
        setAssertionFailed(true);
        stop();
        return;
    }
    setAssertionFailed(false);
}

void CorvaneTimerService::extend(qint64 minutes)
{
    if (!m_active || !m_deadline || minutes < 1)
        return;
    *m_deadline += std::chrono::minutes(minutes);
    setActive(WakeDuration::minutes(m_active->minuteCount() + minutes));
    setTotalSeconds(m_totalSeconds + minutes * 60);
    tick();
}

void CorvaneTimerService::scheduleTicker()
{
    m_ticker.reset();
    QPointer<CorvaneTimerService> self(this);
    m_ticker = m_tickers([self] {
        if (self)
            self->tick();
    });
}

void CorvaneTimerService::tick()
{
    if (!m_deadline)
        return;
    const std::chrono::nanoseconds left = *m_deadline - m_clock.now();
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

void CorvaneTimerService::setAssertionFailed(bool value)
{
    if (m_assertionFailed == value)
        return;
    m_assertionFailed = value;
    Q_EMIT assertionFailedChanged();
}
