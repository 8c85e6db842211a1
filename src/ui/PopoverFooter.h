// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

class CorvaneTimerService;
class DisplaySleeper;
class LoginItemModel;
class OtherInhibitors;
class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class SettingSwitch;
class UpdateModel;

// The popover's last row: which mode is in force, a waiting update, and the gear with the
// settings menu (launch at login, the display-off mode, turning the display off at once,
// checking for updates, the version, quitting). It keeps no state: everything it shows is
// read from the services, and every choice goes straight to them.
class PopoverFooter : public QWidget {
    Q_OBJECT
public:
    PopoverFooter(CorvaneTimerService &timer, UpdateModel &updater, LoginItemModel &login,
                  DisplaySleeper &displaySleeper, std::function<void()> onQuit, QWidget *parent = nullptr);
    ~PopoverFooter() override;

    // What the row shows now.
    QString modeIconName() const { return m_iconName; }
    QColor modeIconColor() const { return m_iconColor; }
    QString modeText() const;

    QAbstractButton *updateButton() const { return m_updateButton; }
    QAbstractButton *gearButton() const { return m_gear; }
    QMenu *menu() const { return m_menu; }

    QAction *launchAtLoginAction() const { return m_launchAtLogin; }
    QAction *approveAction() const { return m_approve; }
    QAction *displayOffModeAction() const { return m_displayOffMode; }
    QAction *turnDisplayOffAction() const { return m_turnDisplayOff; }
    QAction *checkForUpdatesAction() const { return m_checkForUpdates; }
    QAction *versionAction() const { return m_version; }
    // "Kept awake by …", and the other applications keeping it awake, where listed.
    QAction *heldByAction() const { return m_heldBy; }
    QAction *othersAction() const { return m_others; }
    void setOtherInhibitors(OtherInhibitors *others);
    QAction *quitAction() const { return m_quit; }

    // A checkable item for `option`, after the display items.
    QAction *addSwitch(const QString &text, SettingSwitch &option);

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

    QLabel *m_icon = nullptr;
    QString m_iconName;
    QColor m_iconColor;
    QLabel *m_text = nullptr;
    QAbstractButton *m_updateButton = nullptr;
    QAbstractButton *m_gear = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_launchAtLogin = nullptr;
    QAction *m_approve = nullptr;
    QAction *m_displayOffMode = nullptr;
    QAction *m_turnDisplayOff = nullptr;
    QAction *m_checkForUpdates = nullptr;
    QAction *m_version = nullptr;
    QAction *m_heldBy = nullptr;
    QAction *m_others = nullptr;
    OtherInhibitors *m_otherInhibitors = nullptr;
    QAction *m_quit = nullptr;
};
