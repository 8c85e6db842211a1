// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestControl.h"

#include "shell/AppDelegate.h"
#include "shell/GlassPanel.h"
#include "shell/StatusItemController.h"

#include <QAccessible>
#include <QAbstractButton>
#include <QAction>
#include <QDBusConnection>
#include <QLabel>
#include <QWidget>

void TestControl::exportFor(AppDelegate &delegate, QDBusConnection bus)
{
    auto *control = new TestControl(delegate);
    bus.registerObject(objectPath, control, QDBusConnection::ExportScriptableSlots);
}

TestControl::TestControl(AppDelegate &delegate) : QObject(&delegate), m_delegate(delegate)
{}

QString TestControl::PanelGeometry()
{
    auto *controller = qobject_cast<StatusItemController *>(m_delegate.statusItem());
    if (!controller || !controller->hasPanel())
        return QStringLiteral("0 0 0 0 0");
    const GlassPanel &panel = controller->panel();
    // The card, without the shadow margin a compositor gives the window.
    const QRect frame = panel.cardRect().translated(panel.geometry().topLeft());
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(panel.isVisible() ? 1 : 0);
}

QString TestControl::WidgetCenter(const QString &objectName)
{
    auto *controller = qobject_cast<StatusItemController *>(m_delegate.statusItem());
    if (!controller || !controller->hasPanel())
        return {};
    auto *widget = controller->panel().findChild<QWidget *>(objectName);
    if (!widget || !widget->isVisible())
        return {};
    const QPoint centre = widget->mapToGlobal(widget->rect().center());
    return QStringLiteral("%1 %2").arg(centre.x()).arg(centre.y());
}

QStringList TestControl::PanelTexts()
{
    auto *controller = qobject_cast<StatusItemController *>(m_delegate.statusItem());
    if (!controller)
        return {};
    QWidget &panel = controller->panel();
    QStringList texts;
    for (QWidget *widget : panel.findChildren<QWidget *>()) {
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        if (QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget)) {
            texts << accessible->text(QAccessible::Name);
            texts << accessible->text(QAccessible::Description);
        }
    }
    for (QAction *action : panel.findChildren<QAction *>())
        texts << action->text();
    texts.removeAll(QString());
    return texts;
}
