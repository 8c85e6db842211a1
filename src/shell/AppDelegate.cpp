#include "shell/AppDelegate.h"

#include "platform/LinuxDisplaySleeper.h"
#include "platform/QSettingsStore.h"
#include "shell/LoginItemService.h"
#include "shell/StatusItemController.h"
#include "ui/CustomDurationSection.h"
#include "ui/GlassPopoverView.h"
#include "ui/PopoverFooter.h"
#include "updates/UpdaterService.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"
#include "wake/TerminationGuard.h"

#include <QCoreApplication>


AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent),
      m_timer(std::make_unique<CorvaneTimerService>(PowerAssertionManager::shared(), QSettingsStore::standard()))
{
    m_updater = std::make_unique<UpdaterService>(QSettingsStore::standard());
    m_login = std::make_unique<LoginItemService>();
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &AppDelegate::applicationWillTerminate);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    if (m_launched)
        return;
    m_launched = true;
    TerminationGuard::install();
    createStatusItem();
}

void AppDelegate::createStatusItem()
{
    auto *displaySleeper = new LinuxDisplaySleeper(this);
    auto makePopover = [this, displaySleeper]() -> QWidget * {
        auto onQuit = [this] { quit(); };
        auto *popover = new GlassPopoverView(*m_timer, onQuit);
        popover->setCustomSection(new CustomDurationSection(*m_timer, QSettingsStore::standard()));
        popover->setFooter(new PopoverFooter(*m_timer, *m_updater, *m_login, *displaySleeper, onQuit));
        return popover;
    };
    auto *controller = new StatusItemController(*m_timer, makePopover, &StatusItemController::trayIcon);
    m_statusItem.reset(controller);
    connect(this, &AppDelegate::showPanelRequested, controller, &StatusItemController::openPanel);
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
