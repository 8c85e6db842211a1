#include "shell/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace {
constexpr int askTimeoutMs = 3000;
} // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject *parent) : QObject(parent), m_bus(std::move(bus)) {}

SingleInstance::~SingleInstance()
{
    if (m_registered)
        m_bus.unregisterObject(objectPath);
}

bool SingleInstance::claim()
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return true;
    // The object is in place before the name, so whoever finds the name finds the object.
    m_registered = m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    QDBusConnectionInterface *bus = m_bus.interface();
    // Twice: the owner may be just leaving when we first ask.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus->registerService(
            serviceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
            return true;
        if (bus->isServiceRegistered(serviceName).value()) {
            if (m_registered)
                m_bus.unregisterObject(objectPath);
            m_registered = false;
            return false;
        }
    }
    // A bus that will not hand out the name cannot enforce anything.
    return true;
}

bool SingleInstance::showRunningPanel()
{
    const QDBusMessage message = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName,
                                                                QStringLiteral("ShowPanel"));
    return m_bus.call(message, QDBus::Block, askTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::ShowPanel()
{
    Q_EMIT showPanelRequested();
}
