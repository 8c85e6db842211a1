// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ViewAccessibility.h"

#include "ui/PresetPill.h"
#include "ui/ProgressBar.h"
#include "ui/PulseDot.h"
#include "ui/WakeSwitch.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <cmath>

namespace {

// A button that presses through assistive technology as through a click.
class ButtonAccessible : public QAccessibleWidget {
public:
    explicit ButtonAccessible(QAbstractButton *button) : QAccessibleWidget(button, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked(bool)"));
    }

    QAbstractButton *button() const { return static_cast<QAbstractButton *>(object()); }

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString &name) override
    {
        if (name == pressAction() || name == toggleAction())
            button()->click();
        else
            QAccessibleWidget::doAction(name);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        return s;
    }
};

class WakeSwitchAccessible : public ButtonAccessible {
public:
    explicit WakeSwitchAccessible(WakeSwitch *s) : ButtonAccessible(s) {}
    WakeSwitch *wakeSwitch() const { return static_cast<WakeSwitch *>(object()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return WakeSwitch::tr("Keep awake");
        case QAccessible::Value: return wakeSwitch()->isOn() ? WakeSwitch::tr("On") : WakeSwitch::tr("Off");
        // What the track reads: the state (a period that holds nothing says so) and its end.
        case QAccessible::Description: return wakeSwitch()->title() + QStringLiteral(". ") + wakeSwitch()->subtitle();
        default: return ButtonAccessible::text(t);
        }
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = ButtonAccessible::state();
        s.checkable = true;
        s.checked = wakeSwitch()->isOn();
        return s;
    }
    QStringList actionNames() const override { return QStringList{toggleAction()} + ButtonAccessible::actionNames(); }
};

class PresetPillAccessible : public ButtonAccessible {
public:
    explicit PresetPillAccessible(PresetPill *p) : ButtonAccessible(p) {}
    PresetPill *pill() const { return static_cast<PresetPill *>(object()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return pill()->title();
        return ButtonAccessible::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = ButtonAccessible::state();
        s.selected = pill()->isSelected();
        return s;
    }
};

// The dot only repeats what the switch says; it is kept out of the accessibility tree.
class PulseDotAccessible : public QAccessibleWidget {
public:
    explicit PulseDotAccessible(PulseDot *dot) : QAccessibleWidget(dot, QAccessible::NoRole) {}
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        return s;
    }
};

class ProgressBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressBarAccessible(ProgressBar *b) : QAccessibleWidget(b, QAccessible::ProgressBar) {}
    ProgressBar *bar() const { return static_cast<ProgressBar *>(object()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(qRound(currentValue().toDouble() * 100)) + QLatin1Char('%');
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override
    {
        const double v = bar()->value();
        return std::isnan(v) ? 0.0 : v;
    }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 1.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *s = qobject_cast<WakeSwitch *>(object))
        return new WakeSwitchAccessible(s);
    if (auto *p = qobject_cast<PresetPill *>(object))
        return new PresetPillAccessible(p);
    if (auto *d = qobject_cast<PulseDot *>(object))
        return new PulseDotAccessible(d);
    if (auto *b = qobject_cast<ProgressBar *>(object))
        return new ProgressBarAccessible(b);
    return nullptr;
}

} // namespace

namespace ViewAccessibility {

void install()
{
    static const bool installed = (QAccessible::installFactory(factory), true);
    Q_UNUSED(installed);
}

} // namespace ViewAccessibility
