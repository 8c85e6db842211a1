// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AppDelegate.h"

#include "platform/FreedesktopNotifier.h"
#include "platform/LinuxDisplaySleeper.h"
#include "platform/LogindShutdownDelayLock.h"
#include "platform/LogindSystemEvents.h"
#include "platform/QSettingsStore.h"
#include "platform/SessionInhibitorList.h"
#include "platform/UPowerSource.h"
#include "platform/X11WindowEffects.h"
#include "platform/XdgAutostart.h"
#include "shell/GlassPanel.h"
#include "shell/LoginItemService.h"
#include "shell/PowerLayer.h"
#include "shell/StatusItemController.h"
#include "shell/UpdaterModel.h"
#include "ui/CustomDurationSection.h"
#include "ui/GlassPopoverView.h"
#include "ui/PopoverFooter.h"
#include "updates/UpdaterService.h"
#include "wake/BatteryGuard.h"
#include "wake/CorvaneTimerService.h"
#include "wake/EndOfPeriodWarning.h"
#include "wake/SettingSwitch.h"
#include "wake/PowerAssertionManager.h"
#include "wake/RefusalNotice.h"
#include "wake/TerminationGuard.h"

#include <QCoreApplication>

struct AppServices {
    PowerLayer *power = &PowerLayer::build();
    QSettingsStore settings;
    // Every time base of the program, animations included: it outlives the panel, which the
    // status item owns.
    Clock &clock = power->clock;
    LinuxDisplaySleeper displaySleeper;
    FreedesktopNotifier notifier;
    UPowerSource powerSource;
    SessionInhibitorList otherInhibitors{power->inhibitors.buses()};
    SettingSwitch warnBeforeEnd{settings, EndOfPeriodWarning::settingKey, EndOfPeriodWarning::defaultMinutes,
                                EndOfPeriodWarning::defaultMinutes};
    SettingSwitch stopBelowBattery{settings, BatteryGuard::settingKey, BatteryGuard::onPercent, 0};
};

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent),
      m_services(std::make_unique<AppServices>()),
      m_timer(
          std::make_unique<CorvaneTimerService>(m_services->power->manager, m_services->settings,
                                                TimerServiceEnvironment{m_services->clock, m_services->power->events}))
{
    m_updater = std::make_unique<UpdaterService>(m_services->settings, m_services->clock);
    m_updaterModel = std::make_unique<UpdaterModel>(*m_updater);
    m_login = std::make_unique<LoginItemService>(std::make_unique<XdgAutostart>());
    m_endWarning = std::make_unique<EndOfPeriodWarning>(*m_timer, m_services->notifier, m_services->warnBeforeEnd);
    m_batteryGuard = std::make_unique<BatteryGuard>(*m_timer, m_services->powerSource, m_services->notifier,
                                                    m_services->stopBelowBattery);
    m_refusalNotice =
        std::make_unique<RefusalNotice>(*m_timer, m_services->power->manager, m_services->notifier, [this] {
            auto *controller = static_cast<StatusItemController *>(m_statusItem.get());
            return controller && controller->hasPanel() && controller->panel().isVisible();
        });
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
}

AppDelegate::~AppDelegate() = default;

PowerAssertionManager &AppDelegate::power() const
{
    return m_services->power->manager;
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (m_launched)
        return;
    m_launched = true;
    BusConnections &buses = m_services->power->inhibitors.buses();
    TerminationGuard::install({m_services->power->manager, m_services->power->events, &m_services->power->delayLock,
                               true, [&buses] { flushOnTheWayOut(buses); }});
    createStatusItem();
}

void AppDelegate::createStatusItem()
{
    auto makePopover = [this]() -> QWidget * {
        auto onQuit = [this] { quit(); };
        auto *popover = new GlassPopoverView(*m_timer, m_services->clock, onQuit);
        popover->setBackdrop({&X11WindowEffects::compositorActive, &X11WindowEffects::applyBlurBehind});
        popover->setCustomSection(new CustomDurationSection(*m_timer, m_services->settings, m_services->clock));
        auto *footer = new PopoverFooter(*m_timer, *m_updaterModel, *m_login, m_services->displaySleeper, onQuit);
        footer->addSwitch(tr("Warn Before the End"), m_services->warnBeforeEnd);
        footer->addSwitch(tr("Stop Below 20 % Battery"), m_services->stopBelowBattery);
        footer->setOtherInhibitors(&m_services->otherInhibitors);
        popover->setFooter(footer);
        return popover;
    };
    auto *controller =
        new StatusItemController(*m_timer, m_services->clock, makePopover, &StatusItemController::trayIcon);
    m_statusItem.reset(controller);
    connect(this, &AppDelegate::showPanelRequested, controller, &StatusItemController::openPanel);
    connect(controller, &StatusItemController::quitRequested, this, &AppDelegate::quit);
}

void AppDelegate::quit()
{
    applicationShouldTerminate();
    QCoreApplication::quit();
}

void AppDelegate::applicationShouldTerminate()
{
    m_timer->stop();
}

void AppDelegate::applicationWillTerminate()
{
    // Again, for quits that did not come through quit(): harmless when already idle.
    m_timer->stop();
}
