// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AppDelegate.h"

#include "platform/DesktopEnvironment.h"
#include "platform/FreedesktopNotifier.h"
#include "platform/GlobalShortcutFactory.h"
#include "platform/GnomeShellExtensions.h"
#include "platform/GnomeShellOverview.h"
#include "platform/LinuxDisplaySleeper.h"
#include "platform/LinuxTriggers.h"
#include "platform/LinuxWakeStack.h"
#include "platform/ProcRunningPrograms.h"
#include "platform/QSettingsStore.h"
#include "platform/SessionInhibitorList.h"
#include "platform/TrayIcon.h"
#include "platform/UPowerSource.h"
#include "platform/X11WindowEffects.h"
#include "platform/XdgAutostart.h"
#include "shell/GlassPanel.h"
#include "shell/LoginItemService.h"
#include "shell/StatusItemController.h"
#include "shell/TopBarOffer.h"
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
#include "wake/TriggerSettings.h"
#include "wake/ToggleShortcut.h"

#include <QCoreApplication>

struct AppServices {
    QSettingsStore settings;
    // Guards the process from here on: a signal that came during start-up waits in the
    // signal pipe until the event loop runs, then goes out through the guard.
    LinuxWakeStack wake{settings, WakeStack::Guard::allWaysOut};
    // Every time base of the program, animations included: it outlives the panel, which the
    // status item owns.
    Clock &clock = wake.clock();
    LinuxDisplaySleeper displaySleeper{wake.buses()};
    FreedesktopNotifier notifier{wake.buses()};
    UPowerSource powerSource{wake.buses()};
    SessionInhibitorList otherInhibitors{wake.buses()};
    SettingSwitch warnBeforeEnd{settings, EndOfPeriodWarning::settingKey, EndOfPeriodWarning::defaultMinutes,
                                EndOfPeriodWarning::defaultMinutes};
    SettingSwitch stopBelowBattery{settings, BatteryGuard::settingKey, BatteryGuard::onPercent, 0};
    TriggerSettings triggerSettings{settings};
    LinuxTriggers triggers{{wake.buses(), clock, triggerSettings, powerSource, wake.timer()}};
    ProcRunningPrograms runningPrograms;
    std::unique_ptr<GlobalShortcut> desktopShortcut =
        GlobalShortcutFactory::create(DesktopEnvironment::current(), wake.buses());
    std::unique_ptr<ToggleShortcut> toggleShortcut =
        desktopShortcut ? std::make_unique<ToggleShortcut>(settings, *desktopShortcut) : nullptr;
};

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent),
      m_services(std::make_unique<AppServices>()),
      m_timer(&m_services->wake.timer())
{
    m_updater = std::make_unique<UpdaterService>(m_services->settings, m_services->clock);
    m_updaterModel = std::make_unique<UpdaterModel>(*m_updater);
    m_login = std::make_unique<LoginItemService>(std::make_unique<XdgAutostart>());
    m_endWarning = std::make_unique<EndOfPeriodWarning>(*m_timer, m_services->notifier, m_services->warnBeforeEnd);
    m_batteryGuard = std::make_unique<BatteryGuard>(*m_timer, m_services->powerSource, m_services->notifier,
                                                    m_services->stopBelowBattery);
    m_refusalNotice =
        std::make_unique<RefusalNotice>(*m_timer, m_services->wake.manager(), m_services->notifier, [this] {
            auto *controller = static_cast<StatusItemController *>(m_statusItem.get());
            return controller && controller->hasPanel() && controller->panel().isVisible();
        });
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
    if (m_services->toggleShortcut) {
        // The tray's quick toggle, for desktops that tell the program of the press.
        connect(m_services->desktopShortcut.get(), &GlobalShortcut::activated, m_timer, &CorvaneTimerService::toggle);
        m_services->toggleShortcut->restore();
    }
}

AppDelegate::~AppDelegate() = default;

PowerAssertionManager &AppDelegate::power() const
{
    return m_services->wake.manager();
}

TriggerSettings &AppDelegate::triggerSettings() const
{
    return m_services->triggerSettings;
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (m_launched)
        return;
    m_launched = true;
    createStatusItem();
}

void AppDelegate::createStatusItem()
{
    auto makePopover = [this]() -> QWidget * {
        AppServices &s = *m_services;
        return createPanelContent({*m_timer, s.settings, s.clock, *m_updaterModel, *m_login, s.displaySleeper,
                                   s.warnBeforeEnd, s.stopBelowBattery, s.triggerSettings, s.runningPrograms,
                                   &s.otherInhibitors, [this] { quit(); }, s.toggleShortcut.get()});
    };
    auto *controller = new StatusItemController(*m_timer, m_services->clock, new TrayIcon, makePopover);
    controller->setQuietStart(m_quietStart);
    controller->setWaylandSession(DesktopEnvironment::current().wayland());
    controller->setDesktopHidesPresses(DesktopEnvironment::current().wayland()
                                       && DesktopEnvironment::current().kind() == DesktopEnvironment::Kind::Gnome);
    m_statusItem.reset(controller);
    connect(this, &AppDelegate::showPanelRequested, controller, &StatusItemController::openPanel);
    connect(controller, &StatusItemController::quitRequested, this, &AppDelegate::quit);
    if (DesktopEnvironment::current().kind() == DesktopEnvironment::Kind::Gnome) {
        offerTopBar(controller);
        // The overview hides the panel under the icon and tells it nothing on Wayland: it
        // goes, as after any other click outside. A window of its own stays.
        m_overview = std::make_unique<GnomeShellOverview>(m_services->wake.buses());
        connect(m_overview.get(), &GnomeShellOverview::activeChanged, controller, [controller](bool active) {
            if (active && controller->hasPanel() && controller->panel().kind() != GlassPanel::Kind::Window)
                controller->closePanel();
        });
    }
}

void AppDelegate::offerTopBar(StatusItemController *controller)
{
    m_extensions = std::make_unique<GnomeShellExtensions>(m_services->wake.buses());
    GnomeShellExtensions *extensions = m_extensions.get();
    m_topBarOffer = std::make_unique<TopBarOffer>(
        [extensions](auto onAnswer) { extensions->query(GnomeShellExtensions::appIndicator, std::move(onAnswer)); },
        [extensions](auto onDone) { extensions->enable(GnomeShellExtensions::appIndicator, std::move(onDone)); });
    TopBarOffer *offer = m_topBarOffer.get();
    const auto apply = [controller, offer](bool asWindow) {
        auto *footer = controller->hasPanel() ? controller->panel().findChild<PopoverFooter *>() : nullptr;
        if (!footer)
            return;
        if (asWindow)
            footer->setTrayOffer(offer->text(), offer->action(), [offer] { offer->accept(); });
        else
            footer->setTrayOffer({}, {}, {});
    };
    connect(controller, &StatusItemController::panelOpened, offer, [offer, apply](bool asWindow) {
        apply(asWindow);
        if (asWindow)
            offer->refresh();
    });
    connect(offer, &TopBarOffer::changed, controller, [controller, apply] {
        apply(controller->hasPanel() && controller->panel().kind() == GlassPanel::Kind::Window);
    });
    // The icon shows in the top bar in a moment; the window has done its job.
    connect(offer, &TopBarOffer::enabled, controller, &StatusItemController::closePanel);
}

GlassPopoverView *AppDelegate::createPanelContent(const PanelParts &parts)
{
    auto *popover = new GlassPopoverView(parts.timer, parts.clock, parts.onQuit);
    popover->setBackdrop({&X11WindowEffects::compositorActive, &X11WindowEffects::applyBlurBehind});
    popover->setCustomSection(new CustomDurationSection(parts.timer, parts.settings, parts.clock));
    auto *footer = new PopoverFooter(parts.timer, parts.updater, parts.login, parts.displaySleeper, parts.onQuit);
    footer->addSwitch(tr("Warn Before the End"), parts.warnBeforeEnd);
    footer->addSwitch(tr("Stop Below 20 % Battery"), parts.stopBelowBattery);
    footer->addTriggerMenu(parts.triggers, parts.runningPrograms);
    if (parts.otherInhibitors)
        footer->setOtherInhibitors(parts.otherInhibitors);
    if (parts.toggleShortcut)
        footer->setToggleShortcut(parts.toggleShortcut);
    popover->setFooter(footer);
    return popover;
}

void AppDelegate::quit()
{
    applicationShouldTerminate();
    QCoreApplication::quit();
}

void AppDelegate::applicationShouldTerminate()
{
    m_timer->stopAll();
}

void AppDelegate::applicationWillTerminate()
{
    // Again, for quits that did not come through quit(): harmless when already idle.
    m_timer->stopAll();
}
