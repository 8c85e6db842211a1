// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SingleInstance.h"

#include "platform/BusConnections.h"
#include "wake/Logging.h"

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

SingleInstance::SingleInstance(QObject *parent) : QObject(parent), m_buses(std::make_unique<BusConnections>())
{
    connect(m_buses.get(), &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus != BusConnections::Bus::Session || !m_claimed)
            return;
        if (claimOn(connection()))
            Q_EMIT reclaimed();
        else
            qCWarning(lcPower) << "another Corvane took the name on the new session bus";
    });
}

SingleInstance::~SingleInstance() = default;

QDBusConnection SingleInstance::connection() const
{
    return m_buses->connection(BusConnections::Bus::Session);
}

bool SingleInstance::claim(Claim how)
{
    m_how = how;
    m_claimed = claimOn(connection());
    return m_claimed;
}

bool SingleInstance::claimOn(const QDBusConnection &connection)
{
    if (!connection.isConnected() || !connection.interface())
        return true;
    QDBusConnectionInterface *bus = connection.interface();
    const bool tray = m_how == Claim::forTray;
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
    const QDBusConnection bus = connection();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<QString> owner = bus.interface()->serviceOwner(serviceName);
    return owner.isValid() && owner.value() != bus.baseService();
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
        const QDBusMessage reply = connection().call(message, QDBus::Block, timeoutMs);
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
