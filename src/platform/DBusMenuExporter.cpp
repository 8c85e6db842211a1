// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DBusMenuExporter.h"

#include "platform/DBusMenuAdaptor.h"

#include <QDBusConnection>

namespace {
// dbusmenu reads an underscore as the mnemonic mark; a label's own underscores are doubled.
QString escaped(const QString &label)
{
    QString out = label;
    return out.replace(QLatin1Char('_'), QStringLiteral("__"));
}

QVariantMap entryProperties(const DBusMenuEntry &entry)
{
    QVariantMap map;
    if (entry.separator) {
        map.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return map;
    }
    map.insert(QStringLiteral("label"), escaped(entry.label));
    map.insert(QStringLiteral("enabled"), entry.enabled);
    map.insert(QStringLiteral("visible"), true);
    if (entry.check != DBusMenuEntry::Check::None) {
        map.insert(QStringLiteral("toggle-type"),
                   entry.check == DBusMenuEntry::Check::Radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
        map.insert(QStringLiteral("toggle-state"), entry.checked ? 1 : 0);
    }
    return map;
}

QVariantMap filtered(const QVariantMap &all, const QStringList &names)
{
    if (names.isEmpty())
        return all;
    QVariantMap out;
    for (const QString &name : names) {
        if (all.contains(name))
            out.insert(name, all.value(name));
    }
    return out;
}
} // namespace

DBusMenuExporter::DBusMenuExporter(QObject *parent) : QObject(parent)
{
    DBusMenuTypes::registerTypes();
    m_adaptor = new DBusMenuAdaptor(this);
}

bool DBusMenuExporter::exportOn(const QString &)
{
    return QDBusConnection::sessionBus().registerObject(objectPath, this, QDBusConnection::ExportAdaptors);
}

void DBusMenuExporter::setEntries(const QList<DBusMenuEntry> &entries)
{
    if (entries == m_entries)
        return;
    m_entries = entries;
    ++m_revision;
    Q_EMIT m_adaptor->LayoutUpdated(m_revision, 0);
}

DBusMenuLayoutItem DBusMenuExporter::layout(int parentId, const QStringList &names) const
{
    DBusMenuLayoutItem node;
    node.id = parentId;
    if (parentId == 0) {
        node.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        for (const DBusMenuEntry &entry : m_entries)
            node.children << DBusMenuLayoutItem{entry.id, filtered(entryProperties(entry), names), {}};
    } else {
        node.properties = properties(parentId, names);
    }
    return node;
}

bool DBusMenuExporter::hasItem(int id) const
{
    if (id == 0)
        return true;
    return std::any_of(m_entries.begin(), m_entries.end(), [id](const DBusMenuEntry &e) { return e.id == id; });
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList &names) const
{
    if (id == 0)
        return filtered({{QStringLiteral("children-display"), QStringLiteral("submenu")}}, names);
    for (const DBusMenuEntry &entry : m_entries) {
        if (entry.id == id)
            return filtered(entryProperties(entry), names);
    }
    return {};
}

void DBusMenuExporter::handleEvent(int id, const QString &eventId)
{
    if (eventId == QLatin1String("opened") && id == 0) {
        Q_EMIT aboutToShow();
        return;
    }
    if (eventId != QLatin1String("clicked") || id == 0)
        return;
    for (const DBusMenuEntry &entry : m_entries) {
        if (entry.id == id && entry.enabled && !entry.separator) {
            Q_EMIT triggered(id);
            return;
        }
    }
}
