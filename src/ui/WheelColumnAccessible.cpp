// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WheelColumnAccessible.h"

#include "ui/WheelColumn.h"

namespace {
QAccessibleInterface *wheelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("WheelColumn") && object && object->isWidgetType())
        return new WheelColumnAccessible(static_cast<WheelColumn *>(object));
    return nullptr;
}
} // namespace

WheelColumnAccessible::WheelColumnAccessible(WheelColumn *column) : QAccessibleWidget(column, QAccessible::SpinBox)
{}

void WheelColumnAccessible::registerFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(wheelFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

WheelColumn *WheelColumnAccessible::column() const
{
    return static_cast<WheelColumn *>(widget());
}

void *WheelColumnAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString WheelColumnAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: return column()->accessibleLabel();
    case QAccessible::Value: return QString::number(column()->selection());
    default: return QAccessibleWidget::text(t);
    }
}

QStringList WheelColumnAccessible::actionNames() const
{
    return {increaseAction(), decreaseAction()};
}

void WheelColumnAccessible::doAction(const QString &actionName)
{
    if (actionName == increaseAction())
        column()->increment();
    else if (actionName == decreaseAction())
        column()->decrement();
}

QStringList WheelColumnAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == increaseAction())
        return {QStringLiteral("Down")};
    if (actionName == decreaseAction())
        return {QStringLiteral("Up")};
    return {};
}

QVariant WheelColumnAccessible::currentValue() const
{
    return column()->selection();
}

void WheelColumnAccessible::setCurrentValue(const QVariant &value)
{
    // Only the values the wheel offers can be chosen this way.
    const int v = value.toInt();
    if (column()->values().contains(v))
        column()->setSelection(v);
}

QVariant WheelColumnAccessible::maximumValue() const
{
    return column()->values().isEmpty() ? QVariant() : QVariant(column()->values().last());
}

QVariant WheelColumnAccessible::minimumValue() const
{
    return column()->values().isEmpty() ? QVariant() : QVariant(column()->values().first());
}

QVariant WheelColumnAccessible::minimumStepSize() const
{
    return 1;
}
