// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DBusMenuAdaptor.h"

#include "platform/DBusMenuExporter.h"

#include <QGuiApplication>

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenuExporter *menu) : QDBusAbstractAdaptor(menu), m_menu(menu)
{
    setAutoRelaySignals(false);
}

QString DBusMenuAdaptor::textDirection() const
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

uint DBusMenuAdaptor::GetLayout(int parentId, int, const QStringList &propertyNames, DBusMenuLayoutItem &layout)
{
    layout = m_menu->layout(parentId, propertyNames);
    return m_menu->revision();
}

DBusMenuItemPropertiesList DBusMenuAdaptor::GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
{
    DBusMenuItemPropertiesList out;
    for (int id : ids) {
        if (m_menu->hasItem(id))
            out << DBusMenuItemProperties{id, m_menu->properties(id, propertyNames)};
    }
    return out;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString &name)
{
    return QDBusVariant(m_menu->properties(id, {name}).value(name));
}

void DBusMenuAdaptor::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    m_menu->handleEvent(id, eventId);
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEventList &events)
{
    QList<int> errors;
    for (const DBusMenuEvent &event : events) {
        if (m_menu->hasItem(event.id))
            m_menu->handleEvent(event.id, event.eventId);
        else
            errors << event.id;
    }
    return errors;
}

bool DBusMenuAdaptor::AboutToShow(int id)
{
    if (id == 0)
        Q_EMIT m_menu->aboutToShow();
    // Rows are kept current as they change; the host's copy needs no refresh.
    return false;
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    for (int id : ids) {
        if (!m_menu->hasItem(id))
            idErrors << id;
        else if (id == 0)
            Q_EMIT m_menu->aboutToShow();
    }
    return {};
}
