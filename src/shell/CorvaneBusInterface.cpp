// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CorvaneBusInterface.h"

#include "corvaneadaptor.h"
#include "shell/CallerHolds.h"
#include "shell/SingleInstance.h"
#include "wake/CorvaneTimerService.h"
#include "wake/TriggerSettings.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>

namespace {
constexpr qint64 endJitterSeconds = 2;
} // namespace

CorvaneBusInterface::CorvaneBusInterface(CorvaneTimerService &timer, QObject *parent) : QObject(parent), m_timer(timer)
{
    new CorvaneAdaptor(this);
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(0);
    connect(&m_coalesce, &QTimer::timeout, this, &CorvaneBusInterface::announce);
    for (auto changed :
         {&CorvaneTimerService::activeChanged, &CorvaneTimerService::remainingSecondsChanged,
          &CorvaneTimerService::modeChanged, &CorvaneTimerService::assertionFailedChanged,
          &CorvaneTimerService::heldByChanged, &CorvaneTimerService::heldChanged, &CorvaneTimerService::triggerChanged})
        connect(&m_timer, changed, &m_coalesce, qOverload<>(&QTimer::start));
    connect(&m_timer, &CorvaneTimerService::startingChanged, this, &CorvaneBusInterface::answerWaiting);
    m_announced = snapshot();
}

CorvaneBusInterface::~CorvaneBusInterface()
{
    if (m_bus.isConnected())
        m_bus.unregisterObject(SingleInstance::objectPath);
}

bool CorvaneBusInterface::publish(QDBusConnection bus)
{
    m_bus = std::move(bus);
    m_holds = std::make_unique<CallerHolds>(m_timer, m_bus);
    m_waitingCallers.setConnection(m_bus);
    m_waitingCallers.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_waitingCallers, &QDBusServiceWatcher::serviceUnregistered, this, &CorvaneBusInterface::onCallerLeft);
    return m_bus.registerObject(SingleInstance::objectPath, this, QDBusConnection::ExportAdaptors);
}

bool CorvaneBusInterface::active() const
{
    return m_timer.active().has_value();
}

qlonglong CorvaneBusInterface::remainingSeconds() const
{
    if (!m_timer.active())
        return 0;
    return m_timer.active()->isIndefinite() ? -1 : m_timer.remainingSeconds();
}

QString CorvaneBusInterface::endTime() const
{
    refreshEnd();
    if (!m_end.isValid())
        return {};
    return m_end.toOffsetFromUtc(m_end.offsetFromUtc()).toString(Qt::ISODate);
}

QString CorvaneBusInterface::mode() const
{
    return AssertionModes::rawValue(m_timer.mode());
}

QString CorvaneBusInterface::heldBy() const
{
    return m_timer.heldBy();
}

bool CorvaneBusInterface::assertionFailed() const
{
    return m_timer.assertionFailed();
}

bool CorvaneBusInterface::held() const
{
    return m_timer.held();
}

QString CorvaneBusInterface::trigger() const
{
    return m_timer.trigger();
}

QVariantMap CorvaneBusInterface::properties() const
{
    return {{QStringLiteral("Active"), active()},   {QStringLiteral("RemainingSeconds"), remainingSeconds()},
            {QStringLiteral("EndTime"), endTime()}, {QStringLiteral("Mode"), mode()},
            {QStringLiteral("HeldBy"), heldBy()},   {QStringLiteral("AssertionFailed"), assertionFailed()},
            {QStringLiteral("Held"), held()},       {QStringLiteral("Trigger"), trigger()}};
}

bool CorvaneBusInterface::hold(const QString &caller)
{
    return m_holds && m_holds->add(caller);
}

void CorvaneBusInterface::release(const QString &caller)
{
    if (m_holds)
        m_holds->remove(caller);
}

bool CorvaneBusInterface::holdsAnyone() const
{
    return m_holds && !m_holds->isEmpty();
}

void CorvaneBusInterface::Start(uint minutes)
{
    if (callerGaveUp())
        return;
    if (minutes == 0)
        m_timer.start(WakeDuration::indefinite());
    else
        m_timer.start(WakeDuration::minutes(std::min<qint64>(minutes, WakeDuration::maxRestoredMinutes)));
    answerWhenDecided();
}

void CorvaneBusInterface::StartUntil(qlonglong end)
{
    if (callerGaveUp())
        return;
    const QDateTime until = QDateTime::fromSecsSinceEpoch(end);
    const qint64 seconds = QDateTime::currentDateTime().secsTo(until);
    if (seconds < 1 || seconds > WakeDuration::maxRestoredMinutes * 60) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, tr("The end must lie within the next 48 hours."));
        return;
    }
    m_timer.startUntil(until);
    answerWhenDecided();
}

bool CorvaneBusInterface::callerGaveUp()
{
    if (!calledFromDBus() || !message().isReplyRequired() || !m_bus.isConnected())
        return false;
    if (m_bus.interface()->isServiceRegistered(message().service()).value())
        return false;
    setDelayedReply(true);
    return true;
}

void CorvaneBusInterface::answerWhenDecided()
{
    if (!calledFromDBus())
        return;
    setDelayedReply(true);
    if (!m_timer.starting()) {
        answer(message());
        return;
    }
    m_waiting << message();
    m_startCaller = message().service();
    m_startSerial = m_timer.periodSerial();
    m_waitingCallers.addWatchedService(m_startCaller);
}

void CorvaneBusInterface::onCallerLeft(const QString &caller)
{
    m_waitingCallers.removeWatchedService(caller);
    m_waiting.removeIf([&caller](const QDBusMessage &call) { return call.service() == caller; });
    if (caller == m_startCaller && m_timer.starting() && m_timer.periodSerial() == m_startSerial)
        m_timer.abandonStart();
}

void CorvaneBusInterface::answerWaiting()
{
    if (m_timer.starting())
        return;
    // Every start asked for meanwhile was superseded by the last: all share its outcome.
    const QList<QDBusMessage> waiting = std::exchange(m_waiting, {});
    m_waitingCallers.setWatchedServices({});
    m_startCaller.clear();
    for (const QDBusMessage &call : waiting)
        answer(call);
}

void CorvaneBusInterface::answer(const QDBusMessage &call)
{
    if (m_timer.held() && m_timer.active())
        m_bus.send(call.createReply());
    else if (m_timer.assertionFailed())
        m_bus.send(call.createErrorReply(notAwakeError, tr("The system refused to keep this computer awake.")));
    else
        m_bus.send(call.createErrorReply(notAwakeError, tr("The wake period ended before the system answered.")));
}

void CorvaneBusInterface::Stop()
{
    m_timer.stop();
}

void CorvaneBusInterface::Hold()
{
    if (!calledFromDBus() || !m_holds)
        return;
    if (!m_holds->add(message().service())) {
        // Whoever asked has gone: nobody waits for an answer, and nothing starts.
        setDelayedReply(true);
        return;
    }
    answerWhenDecided();
}

void CorvaneBusInterface::Release()
{
    if (calledFromDBus() && m_holds)
        m_holds->remove(message().service());
}

void CorvaneBusInterface::Toggle()
{
    if (callerGaveUp())
        return;
    const bool starts = !m_timer.active() && !m_timer.starting();
    m_timer.toggle();
    if (starts)
        answerWhenDecided();
}

void CorvaneBusInterface::SetMode(const QString &mode)
{
    if (const std::optional<AssertionMode> chosen = AssertionModes::fromRawValue(mode))
        m_timer.setMode(*chosen);
    else if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs,
                       tr("No such mode \"%1\": use displayAndSystem or systemOnly.").arg(mode.left(64)));
}

bool CorvaneBusInterface::triggersSupported()
{
    if (m_triggerSettings)
        return true;
    if (calledFromDBus())
        sendErrorReply(QDBusError::NotSupported, tr("Triggers are set by the Corvane in the tray."));
    return false;
}

void CorvaneBusInterface::SetWhileMediaPlays(bool on)
{
    if (triggersSupported())
        m_triggerSettings->whileMediaPlays.setOn(on);
}

void CorvaneBusInterface::SetWhileRemoteSession(bool on)
{
    if (triggersSupported())
        m_triggerSettings->whileRemoteSession.setOn(on);
}

void CorvaneBusInterface::SetWhileAppsRun(const QStringList &names)
{
    if (triggersSupported())
        m_triggerSettings->setApplications(names);
}

void CorvaneBusInterface::ShowPanel()
{
    Q_EMIT showPanelRequested();
}

void CorvaneBusInterface::Quit()
{
    QTimer::singleShot(0, this, &CorvaneBusInterface::quitRequested);
}

CorvaneBusInterface::Snapshot CorvaneBusInterface::snapshot() const
{
    return {active(), remainingSeconds(), endTime(), mode(), heldBy(), assertionFailed(), held(), trigger()};
}

void CorvaneBusInterface::refreshEnd() const
{
    const std::optional<QDateTime> end = m_timer.endDate();
    if (!end)
        m_end = QDateTime();
    else if (!m_end.isValid() || qAbs(m_end.secsTo(*end)) > endJitterSeconds)
        m_end = end->addMSecs(-end->time().msec());
}

void CorvaneBusInterface::announce()
{
    const Snapshot now = snapshot();
    QVariantMap changed;
    auto note = [&changed](const char *name, const auto &before, const auto &after) {
        if (before != after)
            changed.insert(QLatin1String(name), QVariant::fromValue(after));
    };
    note("Active", m_announced.active, now.active);
    // RemainingSeconds is left out on purpose: sent each second it would wake every listener,
    // and our own bus thread, sixty times a minute. Its introspection data says so.
    note("EndTime", m_announced.endTime, now.endTime);
    note("Mode", m_announced.mode, now.mode);
    note("HeldBy", m_announced.heldBy, now.heldBy);
    note("AssertionFailed", m_announced.assertionFailed, now.assertionFailed);
    note("Held", m_announced.held, now.held);
    note("Trigger", m_announced.trigger, now.trigger);
    m_announced = now;
    if (changed.isEmpty() || !m_bus.isConnected())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(SingleInstance::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interfaceName << changed << QStringList();
    m_bus.send(signal);
}
