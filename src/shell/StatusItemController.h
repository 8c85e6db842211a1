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

    void togglePanel();
    void openPanel();
    void closePanel();
    void toggleWake();

Q_SIGNALS:
    // "Quit Corvane" in the tray's menu.
    void quitRequested();

private:
    void scheduleRender();
    // Also rebuilds the menu on that turn: only what it shows changes it, not the tick.
    void scheduleMenu();
    void renderButton();
    void positionPanel();
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
};
