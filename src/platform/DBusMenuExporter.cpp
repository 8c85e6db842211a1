// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DBusMenuExporter.h"

#include "dbusmenuadaptor.h"

#include <QGuiApplication>

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
    new DBusMenuAdaptor(this);
}

bool DBusMenuExporter::exportOn(QDBusConnection bus)
{
    return bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors);
}

void DBusMenuExporter::unexport(QDBusConnection bus)
{
    bus.unregisterObject(objectPath);
}

void DBusMenuExporter::setEntries(const QList<DBusMenuEntry> &entries)
{
    if (entries == m_entries)
        return;
    m_entries = entries;
    ++m_revision;
    Q_EMIT LayoutUpdated(m_revision, 0);
}

QString DBusMenuExporter::textDirection() const
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

uint DBusMenuExporter::GetLayout(int parentId, int, const QStringList &propertyNames, DBusMenuLayoutItem &layout)
{
    layout = DBusMenuLayoutItem{parentId, {}, {}};
    if (parentId == 0) {
        layout.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        for (const DBusMenuEntry &entry : m_entries)
            layout.children << DBusMenuLayoutItem{entry.id, filtered(entryProperties(entry), propertyNames), {}};
    } else {
        layout.properties = properties(parentId, propertyNames);
    }
    return m_revision;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
{
    DBusMenuItemPropertiesList out;
    for (int id : ids) {
        if (hasItem(id))
            out << DBusMenuItemProperties{id, properties(id, propertyNames)};
    }
    return out;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString &name)
{
    return QDBusVariant(properties(id, {name}).value(name));
}

void DBusMenuExporter::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    handleEvent(id, eventId);
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList &events)
{
    QList<int> errors;
    for (const DBusMenuEvent &event : events) {
        if (hasItem(event.id))
            handleEvent(event.id, event.eventId);
        else
            errors << event.id;
    }
    return errors;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (id == 0)
        Q_EMIT aboutToShow();
    // Rows are kept current as they change; the host's copy needs no refresh.
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    for (int id : ids) {
        if (!hasItem(id))
            idErrors << id;
        else if (id == 0)
            Q_EMIT aboutToShow();
    }
    return {};
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
