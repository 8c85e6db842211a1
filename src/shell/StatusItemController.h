// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <functional>

class AbstractTrayIcon;
class Clock;
class CorvaneTimerService;
class GlassPanel;
class QWidget;

// The tray icon and the panel under it. The icon shows what TrayPresenter says for the
// timer's state; a plain click opens or closes the panel, Alt+click, right click and middle
// click start or stop a wake period at once, and the icon's menu rows act on the timer.
//
// Where no tray shows the icon, the panel opens as a window of its own at a fixed place of
// the primary screen: once at start unless the start is quiet (autostart), and whenever it
// is asked for again.
class StatusItemController : public QObject {
    Q_OBJECT
public:
    // Takes `icon` over and shows it. `makeContent` builds the popover the panel hosts;
    // `clock` drives the panel's animations.
    StatusItemController(CorvaneTimerService &timer, Clock &clock, AbstractTrayIcon *icon,
                         std::function<QWidget *()> makeContent, QObject *parent = nullptr);
    ~StatusItemController() override;

    GlassPanel &panel();
    bool hasPanel() const { return m_panel != nullptr; }

    // A start by the session (autostart): nothing opens by itself when no tray is there.
    void setQuietStart(bool quiet) { m_quietStart = quiet; }
    // In a Wayland session the panel under the icon is a window the compositor manages.
    void setWaylandSession(bool wayland) { m_wayland = wayland; }
    // The desktop's background tells no X client of a press on it (GNOME Shell on Wayland).
    void setDesktopHidesPresses(bool hides) { m_desktopHidesPresses = hides; }

    void togglePanel();
    void openPanel();
    void closePanel();
    void toggleWake();

Q_SIGNALS:
    // "Quit Corvane" in the tray's menu.
    void quitRequested();
    // The panel was opened, as a window of its own (no tray) or under the icon.
    void panelOpened(bool asWindow);

private:
    void scheduleRender();
    // Also rebuilds the menu on that turn: only what it shows changes it, not the tick.
    void scheduleMenu();
    void renderButton();
    void positionPanel();
    void onHostChanged();
    void renderMenu();
    void onMenu(int id);
    bool onOutsidePress(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    CorvaneTimerService &m_timer;
    Clock &m_clock;
    AbstractTrayIcon *m_tray = nullptr;
    GlassPanel *m_panel = nullptr;
    std::function<QWidget *()> m_makeContent;
    QString m_iconKey;
    QHash<QString, QIcon> m_icons; // by symbol and ring step
    bool m_renderQueued = false;
    bool m_menuStale = true;
    QElapsedTimer m_sinceClosed;
    bool m_quietStart = false;
    bool m_wayland = false;
    bool m_desktopHidesPresses = false;
    bool m_hostKnown = false;
};
