#include "TestControl.h"

#include "shell/AppDelegate.h"
#include "shell/GlassPanel.h"
#include "shell/StatusItemController.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <QDBusConnection>
#include <QTimer>
#include <QWidget>

void TestControl::exportFor(AppDelegate &delegate)
{
    auto *control = new TestControl(delegate);
    QDBusConnection::sessionBus().registerObject(objectPath, control, QDBusConnection::ExportScriptableSlots);
}

TestControl::TestControl(AppDelegate &delegate) : QObject(&delegate), m_delegate(delegate)
{
    connect(&delegate, &AppDelegate::showPanelRequested, this, [this] { ++m_panelRequests; });
}

void TestControl::StartWake(int minutes)
{
    m_delegate.timer().start(minutes > 0 ? WakeDuration::minutes(minutes) : WakeDuration::indefinite());
}

void TestControl::Stop()
{
    m_delegate.timer().stop();
}

void TestControl::SetMode(const QString &mode)
{
    if (const auto parsed = AssertionModes::fromRawValue(mode))
        m_delegate.timer().setMode(*parsed);
}

QString TestControl::State()
{
    const bool active = m_delegate.timer().active().has_value();
    const bool held = m_delegate.power().heldMode().has_value();
    return QStringLiteral("%1 %2").arg(active ? QStringLiteral("active") : QStringLiteral("idle"),
                                       held ? QStringLiteral("held") : QStringLiteral("released"));
}

int TestControl::PanelRequests()
{
    return m_panelRequests;
}

QString TestControl::PanelGeometry()
{
    auto *controller = qobject_cast<StatusItemController *>(m_delegate.statusItem());
    if (!controller || !controller->hasPanel())
        return QStringLiteral("0 0 0 0 0");
    const QWidget &panel = controller->panel();
    const QRect frame = panel.geometry();
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

void TestControl::Quit()
{
    // After the reply has left.
    QTimer::singleShot(0, &m_delegate, &AppDelegate::quit);
}
