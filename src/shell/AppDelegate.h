// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class BatteryGuard;
class Clock;
class CorvaneTimerService;
class DisplaySleeper;
class EndOfPeriodWarning;
class GnomeShellExtensions;
class GnomeShellOverview;
class TopBarOffer;
class GlassPopoverView;
class LoginItemModel;
class LoginItemService;
class OtherInhibitors;
class PowerAssertionManager;
class RefusalNotice;
class RunningPrograms;
class SettingSwitch;
class SettingsStore;
class TriggerSettings;
class ToggleShortcut;
class StatusItemController;
class UpdateModel;
class UpdaterService;
class UpdaterModel;
struct AppServices;

// The composition root: builds every service once, hands each its collaborators, owns them
// for the life of the process, and ends the wake period when the application quits. It
// never resumes a wake period at launch. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // Creates, in this order: the wake stack (which guards the process from then on), the
    // other platform parts, the updater service, the login-item service (which reads its
    // status).
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    CorvaneTimerService &timer() const { return *m_timer; }
    UpdaterService &updater() const { return *m_updater; }
    LoginItemService &login() const { return *m_login; }
    PowerAssertionManager &power() const;
    // The trigger switches and program list, as stored.
    TriggerSettings &triggerSettings() const;
    // Absent until launching has finished.
    QObject *statusItem() const { return m_statusItem.get(); }

    // Once the event loop runs: creates the status item. Runs once however often it is
    // called.
    void applicationDidFinishLaunching();
    // Set before launching finishes: the session started the program, so nothing opens by
    // itself.
    void setQuietStart(bool quiet) { m_quietStart = quiet; }

    // Quit from the user interface: the wake period ends first, then the application is
    // asked to quit. Quitting is never delayed or refused.
    void quit();

    // What the panel's content shows and acts on; each must outlive the content.
    struct PanelParts {
        CorvaneTimerService &timer;
        SettingsStore &settings;
        Clock &clock;
        UpdateModel &updater;
        LoginItemModel &login;
        DisplaySleeper &displaySleeper;
        SettingSwitch &warnBeforeEnd;
        SettingSwitch &stopBelowBattery;
        TriggerSettings &triggers;
        RunningPrograms &runningPrograms;
        OtherInhibitors *otherInhibitors;
        std::function<void()> onQuit;
        // Absent where the desktop has no place for a global shortcut.
        ToggleShortcut *toggleShortcut = nullptr;
    };
    // The panel's content with every section and menu item the program shows; the panel's
    // own tests build theirs here too, so they check what users see.
    static GlassPopoverView *createPanelContent(const PanelParts &parts);

Q_SIGNALS:
    // Someone asked for the panel (a second launch); the status item opens it.
    void showPanelRequested();

private:
    void createStatusItem();
    // On GNOME: the way to the top bar, offered in the panel while it stands alone.
    void offerTopBar(StatusItemController *controller);
    void applicationShouldTerminate();
    void applicationWillTerminate();

    std::unique_ptr<AppServices> m_services;
    CorvaneTimerService *m_timer; // the wake stack's, in m_services
    std::unique_ptr<UpdaterService> m_updater;
    std::unique_ptr<UpdaterModel> m_updaterModel;
    std::unique_ptr<LoginItemService> m_login;
    std::unique_ptr<QObject> m_statusItem;
    std::unique_ptr<EndOfPeriodWarning> m_endWarning;
    std::unique_ptr<BatteryGuard> m_batteryGuard;
    std::unique_ptr<RefusalNotice> m_refusalNotice;
    std::unique_ptr<GnomeShellExtensions> m_extensions;
    std::unique_ptr<GnomeShellOverview> m_overview;
    std::unique_ptr<TopBarOffer> m_topBarOffer;
    bool m_launched = false;
    bool m_quietStart = false;
};
