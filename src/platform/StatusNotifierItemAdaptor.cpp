#include "platform/StatusNotifierItemAdaptor.h"

#include "platform/StatusNotifierItem.h"

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem *item)
    : QDBusAbstractAdaptor(item), m_item(item)
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
    return m_item->iconPixmaps();
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

void StatusNotifierItemAdaptor::Activate(int x, int y)
{
    m_item->handleActivate(QPoint(x, y));
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

void StatusNotifierItemAdaptor::Scroll(int, const QString &) {}

void StatusNotifierItemAdaptor::ProvideXdgActivationToken(const QString &) {}
