// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QThread>

namespace {
constexpr int askTimeoutMs = 3000;
constexpr int startingRetryMs = 50;

bool stillStarting(const QDBusMessage &reply)
{
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface");
}
} // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject *parent) : QObject(parent), m_bus(std::move(bus))
{}

bool SingleInstance::claim(Claim how)
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return true;
    QDBusConnectionInterface *bus = m_bus.interface();
    const bool tray = how == Claim::forTray;
    // Twice: the owner may be just leaving when we first ask.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus->registerService(
            serviceName,
            tray ? QDBusConnectionInterface::ReplaceExistingService : QDBusConnectionInterface::DontQueueService,
            tray ? QDBusConnectionInterface::DontAllowReplacement : QDBusConnectionInterface::AllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
            return true;
        if (isRunningElsewhere())
            return false;
    }
    // A bus that will not hand out the name cannot enforce anything.
    return true;
}

bool SingleInstance::isRunningElsewhere() const
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    const QDBusReply<QString> owner = m_bus.interface()->serviceOwner(serviceName);
    return owner.isValid() && owner.value() != m_bus.baseService();
}

QDBusMessage SingleInstance::callRunning(const QString &method, const QVariantList &args, int timeoutMs) const
{
    if (timeoutMs < 0)
        timeoutMs = askTimeoutMs;
    const bool properties = method == QLatin1String("Get") || method == QLatin1String("GetAll");
    QDBusMessage message = QDBusMessage::createMethodCall(
        serviceName, objectPath, properties ? QStringLiteral("org.freedesktop.DBus.Properties") : serviceName, method);
    message.setArguments(args);
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QDBusMessage reply = m_bus.call(message, QDBus::Block, timeoutMs);
        if (!stillStarting(reply) || deadline.hasExpired())
            return reply;
        QThread::msleep(startingRetryMs);
    }
}

QVariantMap SingleInstance::runningProperties() const
{
    const QDBusMessage reply = callRunning(QStringLiteral("GetAll"), {serviceName});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return qdbus_cast<QVariantMap>(reply.arguments().value(0));
}

bool SingleInstance::showRunningPanel()
{
    return callRunning(QStringLiteral("ShowPanel")).type() == QDBusMessage::ReplyMessage;
}
