// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class ApplicationListDialog;
class CorvaneTimerService;
class DisplaySleeper;
class LoginItemModel;
class OtherInhibitors;
class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class RunningPrograms;
class SettingSwitch;
class TriggerSettings;
class ToggleShortcut;
class UpdateModel;

// The popover's last row: which mode is in force, a waiting update, and the gear with the
// settings menu (launch at login, the display-off mode, turning the display off at once,
// the triggers, checking for updates, the version, quitting). It keeps no state: everything it shows is
// read from the services, and every choice goes straight to them. Its parts carry object
// names ("footer-mode", "settings-gear", "settings-menu", "launch-at-login"…) for
// accessibility tools and tests.
class PopoverFooter : public QWidget {
    Q_OBJECT
public:
    // The widest text of a menu item that reads out what others report: 1280 px at scale 2
    // leaves 640, and the menu with its margins and the "Ctrl+Q" column stays well inside.
    static constexpr int maxItemTextWidth = 300;

    PopoverFooter(CorvaneTimerService &timer, UpdateModel &updater, LoginItemModel &login,
                  DisplaySleeper &displaySleeper, std::function<void()> onQuit, QWidget *parent = nullptr);
    ~PopoverFooter() override;

    // Lists the other applications keeping the computer awake, under "Kept awake by …".
    void setOtherInhibitors(OtherInhibitors *others);

    // A checkable item for `option`, after the display items and the switches added before.
    QAction *addSwitch(const QString &text, SettingSwitch &option);

    // "Keep Awake Automatically", after the switches: a check item for each trigger and for
    // the battery rule, and the item that opens the list of programs ("applications-dialog",
    // a window of its own, offering `running` to pick from).
    QMenu *addTriggerMenu(TriggerSettings &triggers, RunningPrograms &running);

    // Adds "Keyboard Shortcut…", which opens the dialog that records `shortcut`.
    void setToggleShortcut(ToggleShortcut *shortcut);

    // A note above the footer's row, with a button where `action` is not empty; an empty
    // `text` removes it. Where no tray shows the icon, it says how to get one.
    void setTrayOffer(const QString &text, const QString &action, std::function<void()> onAction);

    // Opens the menu under the gear, as a press on the gear does.
    void openMenu();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshMode();
    void refreshUpdater();
    void refreshLogin();
    void refreshHeldBy();

    CorvaneTimerService &m_timer;
    UpdateModel &m_updater;
    LoginItemModel &m_login;
    DisplaySleeper &m_displaySleeper;
    std::function<void()> m_onQuit;

    QWidget *m_offer = nullptr;
    QLabel *m_offerText = nullptr;
    QAbstractButton *m_offerButton = nullptr;
    std::function<void()> m_onOffer;
    QLabel *m_icon = nullptr;
    QLabel *m_text = nullptr;
    QAbstractButton *m_updateButton = nullptr;
    QAbstractButton *m_gear = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_launchAtLogin = nullptr;
    QAction *m_approve = nullptr;
    QAction *m_displayOffMode = nullptr;
    QAction *m_turnDisplayOff = nullptr;
    QAction *m_switchesEnd = nullptr; // the separator after the switches
    QAction *m_checkForUpdates = nullptr;
    QAction *m_heldBy = nullptr;
    QAction *m_others = nullptr;
    OtherInhibitors *m_otherInhibitors = nullptr;
    QPointer<ApplicationListDialog> m_applications;
};
