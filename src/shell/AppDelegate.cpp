#include "shell/AppDelegate.h"

#include "platform/BootTimeClock.h"
#include "platform/CoarseTicker.h"
#include "platform/LinuxDisplaySleeper.h"
#include "platform/LinuxPowerBackend.h"
#include "platform/LogindShutdownDelayLock.h"
#include "platform/LogindSystemEvents.h"
#include "platform/QSettingsStore.h"
#include "platform/X11WindowEffects.h"
#include "platform/XdgAutostart.h"
#include "shell/LoginItemService.h"
#include "shell/StatusItemController.h"
#include "shell/UpdaterModel.h"
#include "ui/CustomDurationSection.h"
#include "ui/GlassPopoverView.h"
#include "ui/PopoverFooter.h"
#include "updates/UpdaterService.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"
#include "wake/TerminationGuard.h"

#include <QCoreApplication>

namespace {
// The exit hook may release after main() has returned, so the power layer is never torn
// down: this is the one object the process keeps past its composition root.
struct PowerLayer {
    LinuxPowerBackend backend;
    PowerAssertionManager manager{backend};
};
} // namespace

struct AppServices {
    PowerLayer *power = new PowerLayer;
    QSettingsStore settings;
    BootTimeClock clock;
    LogindSystemEvents events;
    LogindShutdownDelayLock delayLock{events};
    LinuxDisplaySleeper displaySleeper;
};

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent),
      m_services(std::make_unique<AppServices>()),
      m_timer(std::make_unique<CorvaneTimerService>(
          m_services->power->manager, m_services->settings,
          TimerServiceEnvironment{m_services->clock, CoarseTicker::factory(), m_services->events}))
{
    m_updater = std::make_unique<UpdaterService>(m_services->settings);
    m_updaterModel = std::make_unique<UpdaterModel>(*m_updater);
    m_login = std::make_unique<LoginItemService>(std::make_unique<XdgAutostart>());
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &AppDelegate::applicationWillTerminate);
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
    TerminationGuard::install({m_services->power->manager, m_services->events, &m_services->delayLock});
    createStatusItem();
}

void AppDelegate::createStatusItem()
{
    auto makePopover = [this]() -> QWidget * {
        auto onQuit = [this] { quit(); };
        auto *popover = new GlassPopoverView(*m_timer, onQuit);
        popover->setBackdrop({&X11WindowEffects::compositorActive, &X11WindowEffects::applyBlurBehind});
        popover->setCustomSection(new CustomDurationSection(*m_timer, m_services->settings));
        popover->setFooter(
            new PopoverFooter(*m_timer, *m_updaterModel, *m_login, m_services->displaySleeper, onQuit));
        return popover;
    };
    auto *controller = new StatusItemController(*m_timer, makePopover, &StatusItemController::trayIcon);
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
