#include "shell/AppDelegate.h"

#include "platform/QSettingsStore.h"
#include "shell/LoginItemService.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"
#include "wake/TerminationGuard.h"

#include <QCoreApplication>

#if __has_include("updates/UpdaterService.h")
#include "updates/UpdaterService.h"
#define CORVANE_HAS_UPDATER 1
#else
// The updater is not part of this build yet: an empty stand-in keeps the slot typed.
class UpdaterService : public QObject {};
#define CORVANE_HAS_UPDATER 0
#endif

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent),
      m_timer(std::make_unique<CorvaneTimerService>(PowerAssertionManager::shared(), QSettingsStore::standard()))
{
#if CORVANE_HAS_UPDATER
    m_updater = std::make_unique<UpdaterService>(QSettingsStore::standard());
#endif
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
    // The StatusItemController is created here, given timer(), updater() and login(), and
    // connected to showPanelRequested(). Until it exists the program runs without a tray
    // icon.
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
