// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/XfconfShortcut.h"

#include "platform/BusConnections.h"
#include "platform/ShortcutNotation.h"
#include "wake/Logging.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

namespace {

const QString service = QStringLiteral("org.xfce.Xfconf");
const QString path = QStringLiteral("/org/xfce/Xfconf");
const QString interface = QStringLiteral("org.xfce.Xfconf");
const QString channel = QStringLiteral("xfce4-keyboard-shortcuts");
const QString commands = QStringLiteral("/commands/custom/");
constexpr int timeoutMs = 5000;

QDBusMessage call(const QDBusConnection &bus, const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, timeoutMs);
}

} // namespace

XfconfShortcut::XfconfShortcut(BusConnections &buses, const QString &command, QObject *parent)
    : GlobalShortcut(parent),
      m_buses(buses),
      m_command(command)
{}

QString XfconfShortcut::bind(const QString &keys)
{
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::Session);
    const QDBusMessage all = call(bus, QStringLiteral("GetAllProperties"), {channel, QStringLiteral("/")});
    if (all.type() == QDBusMessage::ErrorMessage) {
        // A channel never written reads as missing; anything else means no xfconf.
        if (!all.errorName().startsWith(QLatin1String("org.xfce.Xfconf.Error")))
            return tr("XFCE's settings service does not answer (%1).").arg(all.errorMessage());
    }
    const QVariantMap properties =
        all.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(all.arguments().at(0));

    const QKeyCombination wanted = ShortcutNotation::fromPortableText(keys);
    const QString accelerator = ShortcutNotation::toAccelerator(wanted, ShortcutNotation::Accelerator::Xfce);
    if (!keys.isEmpty() && accelerator.isEmpty())
        return tr("XFCE cannot use %1 as a shortcut.").arg(keys);

    // Each provider's shortcuts in force: its custom set once it has one ("override"),
    // else its defaults.
    auto inForce = [&](const QString &provider) {
        const bool custom = properties.value(provider + QLatin1String("/custom/override")).toBool();
        return provider + (custom ? QLatin1String("/custom/") : QLatin1String("/default/"));
    };
    const bool commandsCustom = properties.value(QStringLiteral("/commands/custom/override")).toBool();
    const QStringList sets{inForce(QStringLiteral("/commands")), inForce(QStringLiteral("/xfwm4"))};

    QStringList ours;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const QString &property = it.key();
        const QString value = it.value().toString();
        if (property.startsWith(commands) && value == m_command) {
            ours << property;
            continue;
        }
        if (keys.isEmpty() || value.isEmpty() || property.endsWith(QLatin1String("/override")))
            continue;
        for (const QString &set : sets) {
            if (property.startsWith(set) && ShortcutNotation::fromAccelerator(property.mid(set.size())) == wanted)
                return tr("%1 is already used by \u201c%2\u201d.").arg(keys, value);
        }
    }

    if (!keys.isEmpty() && !commandsCustom) {
        // XFCE replaces a custom set without "override" by its defaults when its settings
        // daemon starts, which would drop our entry: make the set custom as XFCE itself
        // does, defaults first.
        for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
            // Strings only: an entry's options ("startup-notify") stay behind, as with XFCE.
            if (!it.key().startsWith(QLatin1String("/commands/default/")) || it.value().typeId() != QMetaType::QString)
                continue;
            const QString custom = commands + it.key().mid(int(qstrlen("/commands/default/")));
            if (properties.contains(custom))
                continue;
            call(bus, QStringLiteral("SetProperty"),
                 {channel, custom, QVariant::fromValue(QDBusVariant(it.value().toString()))});
        }
        call(bus, QStringLiteral("SetProperty"),
             {channel, commands + QLatin1String("override"), QVariant::fromValue(QDBusVariant(true))});
    }

    const QString property = commands + accelerator;
    for (const QString &old : std::as_const(ours)) {
        if (old == property)
            continue;
        const QDBusMessage reset = call(bus, QStringLiteral("ResetProperty"), {channel, old, false});
        if (reset.type() == QDBusMessage::ErrorMessage)
            qCWarning(lcSettings) << "Cannot remove the old shortcut" << old << reset.errorMessage();
    }
    if (keys.isEmpty())
        return {};
    const QDBusMessage set =
        call(bus, QStringLiteral("SetProperty"), {channel, property, QVariant::fromValue(QDBusVariant(m_command))});
    if (set.type() == QDBusMessage::ErrorMessage)
        return tr("XFCE's settings service refused %1 (%2).").arg(keys, set.errorMessage());
    return {};
}
