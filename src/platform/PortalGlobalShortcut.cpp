// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PortalGlobalShortcut.h"

#include "platform/BusConnections.h"
#include "platform/ShortcutNotation.h"
#include "wake/Logging.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

// One entry of the portal's a(sa{sv}) shortcut lists: the id and its options.
struct PortalShortcutEntry {
    QString id;
    QVariantMap options;
};
Q_DECLARE_METATYPE(PortalShortcutEntry)

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcutEntry &entry)
{
    argument.beginStructure();
    argument << entry.id << entry.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcutEntry &entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.options;
    argument.endStructure();
    return argument;
}

namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString desktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");
// Desktops that keep shortcuts per session name find the user's keys again under it.
const QString sessionToken = QStringLiteral("corvane");

} // namespace

PortalGlobalShortcut::PortalGlobalShortcut(BusConnections &buses, std::chrono::milliseconds answerTimeout,
                                           QObject *parent)
    : GlobalShortcut(parent),
      m_buses(buses),
      m_answerTimeout(answerTimeout),
      m_connection(buses.connection(BusConnections::Bus::Session))
{
    qDBusRegisterMetaType<PortalShortcutEntry>();
    qDBusRegisterMetaType<QList<PortalShortcutEntry>>();
    // Any sender: naming the portal would make Qt look its owner up with a blocking call.
    m_connection.connect(QString(), desktopPath, shortcutsInterface, QStringLiteral("Activated"), this,
                         SLOT(pressed(QDBusMessage)));
    // A new bus (or portal) knows nothing of the session: the binding is made again.
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus != BusConnections::Bus::Session)
            return;
        m_session.clear();
        m_connection = m_buses.connection(BusConnections::Bus::Session);
        m_connection.connect(QString(), desktopPath, shortcutsInterface, QStringLiteral("Activated"), this,
                             SLOT(pressed(QDBusMessage)));
        if (!m_keys.isEmpty() && !m_loop) {
            const QString refusal = bind(m_keys);
            if (!refusal.isEmpty())
                qCWarning(lcSettings) << "The toggle shortcut is not in force on the new bus:" << refusal;
        }
    });
}

PortalGlobalShortcut::~PortalGlobalShortcut()
{
    closeSession();
}

bool PortalGlobalShortcut::available(const QDBusConnection &bus)
{
    // Asked of the bus alone, at every launch: asking the portal itself would start it
    // through the bus and could hold the launch for as long as it takes to answer. A
    // portal without GlobalShortcuts says so when the user picks keys.
    const QDBusConnectionInterface *names = bus.interface();
    if (!names)
        return false;
    const QDBusReply<bool> running = names->isServiceRegistered(portal);
    if (running.isValid() && running.value())
        return true;
    const QDBusReply<QStringList> startable = names->activatableServiceNames();
    return startable.isValid() && startable.value().contains(portal);
}

QString PortalGlobalShortcut::bind(const QString &keys)
{
    if (m_loop)
        return tr("The desktop is still answering the last change of the shortcut.");
    closeSession();
    m_keys.clear();
    if (keys.isEmpty())
        return {};
    const QString trigger = ShortcutNotation::toPortalTrigger(ShortcutNotation::fromPortableText(keys));
    if (trigger.isEmpty())
        return tr("%1 is not a key combination.").arg(keys);

    QString why = openSession();
    if (!why.isEmpty())
        return why;
    const QList<PortalShortcutEntry> wanted{
        {shortcutId,
         {{QStringLiteral("description"), tr("Start or stop keeping this computer awake")},
          {QStringLiteral("preferred_trigger"), trigger}}}};
    const std::optional<QVariantMap> results =
        request(QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(wanted), QString()}, {}, &why);
    if (!results) {
        closeSession();
        return why;
    }
    const auto bound = qdbus_cast<QList<PortalShortcutEntry>>(results->value(QStringLiteral("shortcuts")));
    const auto ours = std::find_if(bound.cbegin(), bound.cend(),
                                   [](const PortalShortcutEntry &entry) { return entry.id == shortcutId; });
    if (ours == bound.cend()) {
        // Some desktops answer without taking the shortcut and leave it to their own settings.
        closeSession();
        return tr("The desktop did not take %1.").arg(keys);
    }
    qCInfo(lcSettings) << "The desktop bound the toggle shortcut to"
                       << ours->options.value(QStringLiteral("trigger_description")).toString();
    m_keys = keys;
    return {};
}

QString PortalGlobalShortcut::openSession()
{
    QString why;
    const std::optional<QVariantMap> results =
        request(QStringLiteral("CreateSession"), {}, {{QStringLiteral("session_handle_token"), sessionToken}}, &why);
    if (!results)
        return why;
    // A string in the portal's documents; an object path from some implementations.
    const QVariant handle = results->value(QStringLiteral("session_handle"));
    m_session = handle.userType() == qMetaTypeId<QDBusObjectPath>() ? qvariant_cast<QDBusObjectPath>(handle).path()
                                                                    : handle.toString();
    if (m_session.isEmpty())
        return tr("The desktop's shortcut portal opened no session.");
    m_connection.connect(QString(), m_session, sessionInterface, QStringLiteral("Closed"), this,
                         SLOT(sessionClosed(QDBusMessage)));
    return {};
}

void PortalGlobalShortcut::closeSession()
{
    if (m_session.isEmpty())
        return;
    m_connection.disconnect(QString(), m_session, sessionInterface, QStringLiteral("Closed"), this,
                            SLOT(sessionClosed(QDBusMessage)));
    m_connection.send(QDBusMessage::createMethodCall(portal, m_session, sessionInterface, QStringLiteral("Close")));
    m_session.clear();
}

std::optional<QVariantMap> PortalGlobalShortcut::request(const QString &method, QVariantList arguments,
                                                         QVariantMap options, QString *why)
{
    const QString token = QStringLiteral("corvane%1").arg(QRandomGenerator::global()->generate());
    QString sender = m_connection.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    QStringList subscribed{QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token)};
    m_awaited = subscribed.constFirst();
    m_response.reset();
    m_results.clear();
    // Subscribed before the call: the answer may come before the call's reply.
    m_connection.connect(QString(), m_awaited, requestInterface, QStringLiteral("Response"), this,
                         SLOT(responded(uint, QVariantMap)));

    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage message = QDBusMessage::createMethodCall(portal, desktopPath, shortcutsInterface, method);
    message.setArguments(arguments << options);
    QEventLoop loop;
    m_loop = &loop;
    QString failure;
    QDBusPendingCallWatcher call(m_connection.asyncCall(message, int(m_answerTimeout.count())));
    connect(&call, &QDBusPendingCallWatcher::finished, &loop, [&] {
        const QDBusMessage reply = call.reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("o")) {
            failure = tr("The desktop's shortcut portal does not answer (%1).").arg(reply.errorMessage());
            loop.quit();
            return;
        }
        const QString handle = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
        if (handle != m_awaited) {
            // An older portal picks its own path.
            m_awaited = handle;
            subscribed << handle;
            m_connection.connect(QString(), handle, requestInterface, QStringLiteral("Response"), this,
                                 SLOT(responded(uint, QVariantMap)));
        }
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(m_answerTimeout);
    if (!m_response)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_loop = nullptr;
    for (const QString &path : std::as_const(subscribed))
        m_connection.disconnect(QString(), path, requestInterface, QStringLiteral("Response"), this,
                                SLOT(responded(uint, QVariantMap)));

    if (m_response == 0u)
        return m_results;
    if (m_response)
        *why = *m_response == 1 ? tr("The desktop declined the shortcut.")
                                : tr("The desktop's shortcut portal refused the request.");
    else if (!failure.isEmpty())
        *why = failure;
    else {
        // Nobody waits for the answer any more: the portal may drop the request.
        m_connection.send(QDBusMessage::createMethodCall(portal, m_awaited, requestInterface, QStringLiteral("Close")));
        *why = tr("The desktop's shortcut portal did not answer within %1 s.")
                   .arg(std::chrono::duration_cast<std::chrono::seconds>(m_answerTimeout).count());
    }
    return std::nullopt;
}

void PortalGlobalShortcut::responded(uint response, const QVariantMap &results)
{
    if (!m_loop || m_response)
        return;
    m_response = response;
    m_results = results;
    m_loop->quit();
}

void PortalGlobalShortcut::pressed(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || m_session.isEmpty() || isSuspended())
        return;
    if (qvariant_cast<QDBusObjectPath>(arguments.at(0)).path() == m_session && arguments.at(1).toString() == shortcutId)
        Q_EMIT activated();
}

void PortalGlobalShortcut::sessionClosed(const QDBusMessage &)
{
    // The desktop ended the session (the user revoked it): the keys are no longer in force.
    qCWarning(lcSettings) << "The desktop closed the shortcut session";
    m_connection.disconnect(QString(), m_session, sessionInterface, QStringLiteral("Closed"), this,
                            SLOT(sessionClosed(QDBusMessage)));
    m_session.clear();
}
