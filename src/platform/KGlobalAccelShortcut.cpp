// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KGlobalAccelShortcut.h"

#include "platform/BusConnections.h"
#include "platform/ShortcutNotation.h"
#include "wake/Logging.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {

const QString service = QStringLiteral("org.kde.kglobalaccel");
const QString mainPath = QStringLiteral("/kglobalaccel");
const QString mainInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");
const QString component = QStringLiteral("corvane");
const QString action = QStringLiteral("toggle");
constexpr int timeoutMs = 5000;

// kglobalaccel's flags for setShortcut: the action exists in a running program, and the
// keys given replace whatever it had kept.
constexpr uint setPresent = 2;
constexpr uint noAutoloading = 4;

QDBusMessage call(const QDBusConnection &bus, const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, mainPath, mainInterface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, timeoutMs);
}

} // namespace

KGlobalAccelShortcut::KGlobalAccelShortcut(BusConnections &buses, QObject *parent)
    : GlobalShortcut(parent),
      m_buses(buses)
{
    // A new kglobalaccel (or bus) knows nothing of the shortcut until it is registered again.
    connect(&m_buses, &BusConnections::reconnected, this, [this](BusConnections::Bus bus) {
        if (bus == BusConnections::Bus::Session && !m_keys.isEmpty()) {
            m_componentPath.clear();
            restore(m_keys);
        }
    });
}

KGlobalAccelShortcut::~KGlobalAccelShortcut()
{
    // kglobalaccel keeps every desktop shortcut blocked until told otherwise, even after we
    // are gone: a program that quits while recording must not leave them dead.
    setSuspended(false);
}

QStringList KGlobalAccelShortcut::actionId() const
{
    return {component, action, QStringLiteral("Corvane"), tr("Keep Awake On or Off")};
}

QString KGlobalAccelShortcut::bind(const QString &keys)
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::Session);
    if (keys.isEmpty()) {
        listen(false);
        m_keys.clear();
        // Removes the action and its keys from kglobalaccel's settings.
        const QDBusMessage reply = call(bus, QStringLiteral("unregister"), {component, action});
        if (reply.type() == QDBusMessage::ErrorMessage)
            qCDebug(lcSettings) << "kglobalaccel did not remove the shortcut:" << reply.errorMessage();
        return {};
    }
    return registerKeys(keys, setPresent | noAutoloading);
}

QString KGlobalAccelShortcut::restore(const QString &keys)
{
    return keys.isEmpty() ? QString() : registerKeys(keys, setPresent);
}

QString KGlobalAccelShortcut::registerKeys(const QString &keys, uint flags)
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::Session);
    const QKeyCombination wanted = ShortcutNotation::fromPortableText(keys);
    if (!ShortcutNotation::isValid(wanted))
        return tr("%1 is not a key combination.").arg(keys);
    const int code = ShortcutNotation::toKGlobalAccel(wanted);

    const QDBusMessage registered = call(bus, QStringLiteral("doRegister"), {actionId()});
    if (registered.type() == QDBusMessage::ErrorMessage)
        return tr("KDE's shortcut service does not answer (%1).").arg(registered.errorMessage());
    // Who holds the keys, so a refusal can name it.
    const QDBusMessage owner = call(bus, QStringLiteral("action"), {code});
    const bool autoloading = !(flags & noAutoloading);
    const QStringList holder = owner.arguments().isEmpty() ? QStringList() : owner.arguments().at(0).toStringList();
    if (!autoloading && holder.size() >= 2 && !(holder.at(0) == component && holder.at(1) == action))
        return tr("%1 is already used by \u201c%2\u201d.").arg(keys, holder.value(3, holder.at(1)));

    const QDBusMessage set =
        call(bus, QStringLiteral("setShortcut"), {actionId(), QVariant::fromValue(QList<int>{code}), flags});
    if (set.type() == QDBusMessage::ErrorMessage)
        return tr("KDE's shortcut service refused %1 (%2).").arg(keys, set.errorMessage());
    const QList<int> taken = set.arguments().isEmpty() ? QList<int>() : qdbus_cast<QList<int>>(set.arguments().at(0));
    // Autoloading answers with the keys kglobalaccel kept, which may be others now.
    if (autoloading ? taken.isEmpty() : !taken.contains(code))
        return tr("KDE's shortcut service refused %1.").arg(keys);
    m_keys = keys;
    listen(true);
    return {};
}

void KGlobalAccelShortcut::listen(bool on)
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::Session);
    if (!m_componentPath.isEmpty()) {
        bus.disconnect(service, m_componentPath, componentInterface, QStringLiteral("globalShortcutPressed"), this,
                       SLOT(pressed(QString, QString, qlonglong)));
        bus.disconnect(service, mainPath, mainInterface, QStringLiteral("yourShortcutsChanged"), this,
                       SLOT(changedInSettings(QDBusMessage)));
        m_componentPath.clear();
    }
    if (!on)
        return;
    const QDBusMessage reply = call(bus, QStringLiteral("getComponent"), {component});
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) {
        qCWarning(lcSettings) << "kglobalaccel has no component for the shortcut:" << reply.errorMessage();
        return;
    }
    m_componentPath = qdbus_cast<QDBusObjectPath>(reply.arguments().at(0)).path();
    bus.connect(service, m_componentPath, componentInterface, QStringLiteral("globalShortcutPressed"), this,
                SLOT(pressed(QString, QString, qlonglong)));
    // KDE's shortcut settings tell the program whose action they changed.
    bus.connect(service, mainPath, mainInterface, QStringLiteral("yourShortcutsChanged"), this,
                SLOT(changedInSettings(QDBusMessage)));
}

void KGlobalAccelShortcut::setSuspended(bool suspended)
{
    GlobalShortcut::setSuspended(suspended);
    // Held back only while there are keys of ours to hold back, and let go whatever came since.
    if (suspended == m_blocked || (suspended && m_keys.isEmpty()))
        return;
    m_blocked = suspended;
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, mainPath, mainInterface, QStringLiteral("blockGlobalShortcuts"));
    message << suspended;
    m_buses.connection(BusConnections::Bus::Session).send(message);
}

void KGlobalAccelShortcut::changedInSettings(const QDBusMessage &message)
{
    // yourShortcutsChanged(as actionId, a(ai) keys): each key sequence a struct of up to
    // four combinations, unused ones 0 (older kglobalaccel sent plain ai).
    const QVariantList arguments = message.arguments();
    const QStringList changed = arguments.value(0).toStringList();
    if (arguments.size() < 2 || changed.size() < 2 || changed.at(0) != component || changed.at(1) != action)
        return;
    QList<int> keys;
    if (message.signature() == QLatin1String("asa(ai)")) {
        const auto sequences = qvariant_cast<QDBusArgument>(arguments.at(1));
        sequences.beginArray();
        while (!sequences.atEnd()) {
            QList<int> combinations;
            sequences.beginStructure();
            sequences >> combinations;
            sequences.endStructure();
            if (!combinations.isEmpty() && combinations.constFirst() != 0)
                keys << combinations.constFirst();
        }
        sequences.endArray();
    } else if (message.signature() == QLatin1String("asai")) {
        keys = qdbus_cast<QList<int>>(arguments.at(1));
    }
    // The first of the action's keys is the one the program shows; keys it cannot write down
    // count as none.
    const QString now = keys.isEmpty()
        ? QString()
        : ShortcutNotation::toPortableText(ShortcutNotation::fromKGlobalAccel(keys.constFirst()));
    if (now == m_keys)
        return;
    m_keys = now;
    Q_EMIT changedByDesktop(now);
}

void KGlobalAccelShortcut::pressed(const QString &pressedComponent, const QString &pressedAction, qlonglong)
{
    if (pressedComponent == component && pressedAction == action && !isSuspended())
        Q_EMIT activated();
}
