// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CorvaneBusInterface.h"

#include "corvaneadaptor.h"
#include "shell/SingleInstance.h"
#include "wake/CorvaneTimerService.h"
#include "wake/Logging.h"

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
    for (auto changed : {&CorvaneTimerService::activeChanged, &CorvaneTimerService::remainingSecondsChanged,
                         &CorvaneTimerService::modeChanged, &CorvaneTimerService::assertionFailedChanged,
                         &CorvaneTimerService::heldByChanged})
        connect(&m_timer, changed, &m_coalesce, qOverload<>(&QTimer::start));
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

QVariantMap CorvaneBusInterface::properties() const
{
    return {{QStringLiteral("Active"), active()},   {QStringLiteral("RemainingSeconds"), remainingSeconds()},
            {QStringLiteral("EndTime"), endTime()}, {QStringLiteral("Mode"), mode()},
            {QStringLiteral("HeldBy"), heldBy()},   {QStringLiteral("AssertionFailed"), assertionFailed()}};
}

void CorvaneBusInterface::Start(uint minutes)
{
    if (minutes == 0)
        m_timer.start(WakeDuration::indefinite());
    else
        m_timer.start(WakeDuration::minutes(std::min<qint64>(minutes, WakeDuration::maxRestoredMinutes)));
}

void CorvaneBusInterface::Stop()
{
    m_timer.stop();
}

void CorvaneBusInterface::Toggle()
{
    if (m_timer.active())
        m_timer.stop();
    else
        m_timer.start(m_timer.lastDuration());
}

void CorvaneBusInterface::SetMode(const QString &mode)
{
    if (const std::optional<AssertionMode> chosen = AssertionModes::fromRawValue(mode))
        m_timer.setMode(*chosen);
    else
        qCWarning(lcPower) << "SetMode: no such mode" << mode;
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
    return {active(), remainingSeconds(), endTime(), mode(), heldBy(), assertionFailed()};
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
    m_announced = now;
    if (changed.isEmpty() || !m_bus.isConnected())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(SingleInstance::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interfaceName << changed << QStringList();
    m_bus.send(signal);
}
