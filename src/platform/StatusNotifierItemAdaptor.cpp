// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StatusNotifierItemAdaptor.h"

#include "platform/DBusMenuExporter.h"
#include "platform/StatusNotifierItem.h"

#include <QDBusConnection>

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem *item)
    : QDBusAbstractAdaptor(item),
      m_item(item)
{
    setAutoRelaySignals(false);
}

QString StatusNotifierItemAdaptor::category() const
{
    return QStringLiteral("ApplicationStatus");
}

QString StatusNotifierItemAdaptor::id() const
{
    return m_item->id();
}

QString StatusNotifierItemAdaptor::title() const
{
    return m_item->title();
}

QString StatusNotifierItemAdaptor::status() const
{
    return QStringLiteral("Active");
}

SniIconPixmapList StatusNotifierItemAdaptor::iconPixmap() const
{
    m_item->noteIconRead();
    return m_item->iconPixmaps();
}

QString StatusNotifierItemAdaptor::iconName() const
{
    // Hosts that prefer a theme name read it first; reading it still means drawing us.
    m_item->noteIconRead();
    return {};
}

QDBusObjectPath StatusNotifierItemAdaptor::menu() const
{
    return QDBusObjectPath(DBusMenuExporter::objectPath);
}

SniToolTip StatusNotifierItemAdaptor::toolTip() const
{
    return m_item->toolTip();
}

QString StatusNotifierItemAdaptor::label() const
{
    return m_item->label();
}

QString StatusNotifierItemAdaptor::labelGuide() const
{
    return m_item->labelGuide();
}

void StatusNotifierItemAdaptor::Activate(int x, int y, const QDBusMessage &message)
{
    m_item->handleActivate(QPoint(x, y));
    if (m_item->shouldAnswerActivateAsCancelled(message.service())) {
        // GDBus turns this name back into G_IO_ERROR_CANCELLED, which the extension
        // ignores without marking activation as supported.
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(message.createErrorReply(
            QStringLiteral("org.gtk.GDBus.UnmappedGError.Quark._g_2dio_2derror_2dquark.Code19"),
            QStringLiteral("Handled")));
    }
}

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y)
{
    m_item->handleSecondaryActivate(QPoint(x, y), false);
}

void StatusNotifierItemAdaptor::XAyatanaSecondaryActivate(uint)
{
    m_item->handleSecondaryActivate(QPoint(), true);
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y)
{
    m_item->handleContextMenu(QPoint(x, y));
}

void StatusNotifierItemAdaptor::Scroll(int, const QString &)
{}

void StatusNotifierItemAdaptor::ProvideXdgActivationToken(const QString &)
{}
