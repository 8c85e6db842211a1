// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <memory>

class BatteryGuard;
class CorvaneTimerService;
class EndOfPeriodWarning;
class LoginItemService;
class PowerAssertionManager;
class RefusalNotice;
class UpdaterService;
class UpdaterModel;
struct AppServices;

// The composition root: builds every service once, hands each its collaborators, owns them
// for the life of the process, and ends the wake period when the application quits. It
// never resumes a wake period at launch. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // Creates, in this order: the platform parts, the timer service, the updater service,
    // the login-item service (which reads its status).
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    CorvaneTimerService &timer() const { return *m_timer; }
    UpdaterService &updater() const { return *m_updater; }
    LoginItemService &login() const { return *m_login; }
    PowerAssertionManager &power() const;
    // Absent until launching has finished.
    QObject *statusItem() const { return m_statusItem.get(); }

    // Once the event loop runs: installs the termination guard, then creates the status
    // item. Runs its steps once however often it is called.
    void applicationDidFinishLaunching();

    // Quit from the user interface: the wake period ends first, then the application is
    // asked to quit. Quitting is never delayed or refused.
    void quit();

Q_SIGNALS:
    // Someone asked for the panel (a second launch); the status item opens it.
    void showPanelRequested();

private:
    void createStatusItem();
    void applicationShouldTerminate();
    void applicationWillTerminate();

    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<CorvaneTimerService> m_timer;
    std::unique_ptr<UpdaterService> m_updater;
    std::unique_ptr<UpdaterModel> m_updaterModel;
    std::unique_ptr<LoginItemService> m_login;
    std::unique_ptr<QObject> m_statusItem;
    std::unique_ptr<EndOfPeriodWarning> m_endWarning;
    std::unique_ptr<BatteryGuard> m_batteryGuard;
    std::unique_ptr<RefusalNotice> m_refusalNotice;
    bool m_launched = false;
};
