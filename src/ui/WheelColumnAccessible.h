// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class WheelColumn;

// A wheel as one adjustable element for assistive technology: its label, its value as plain
// decimal text, and increment/decrement actions. Its rows are not exposed.
class WheelColumnAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit WheelColumnAccessible(WheelColumn *column);

    // Makes every WheelColumn use this interface; safe to call more than once.
    static void registerFactory();

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    WheelColumn *column() const;
};
