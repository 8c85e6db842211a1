// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>

class Clock;
class CorvaneTimerService;
class GlassPanel;
class TrayIcon;
class QWidget;

// The tray icon and the panel under it. The icon shows an eye (filled while awake) and,
// during a timed period, the compact countdown; a plain click opens or closes the panel,
// Alt+click, right click and middle click start or stop a wake period at once.
class StatusItemController : public QObject {
    Q_OBJECT
public:
    // Menu row ids; stable, so a host's event for a row it showed still finds its action.
    enum MenuId { QuickToggleRow = 1, FirstPresetRow = 10, ModeRow = 30, OpenRow = 31, QuitRow = 32 };
    static constexpr int gap = 6;
    static constexpr int screenMargin = 8;

    // `makeContent` builds the popover the panel hosts; `iconFor` draws the eye for the
    // given state ("eye" or "eye.fill") with the part of the period left (0…1, or
    // negative for no ring).
    StatusItemController(CorvaneTimerService &timer, Clock &clock, std::function<QWidget *()> makeContent,
                         std::function<QIcon(const QString &symbol, double remaining)> iconFor,
                         QObject *parent = nullptr);
    ~StatusItemController() override;

    TrayIcon &tray() const { return *m_tray; }
    GlassPanel &panel();
    bool hasPanel() const { return m_panel != nullptr; }

    void togglePanel();
    void openPanel();
    void closePanel();
    void toggleWake();

    // Where the panel's top-left corner goes: centred under the icon with a small gap,
    // kept inside the usable area horizontally, and above the icon when the tray is at
    // the bottom of the screen (below it, the panel would open off-screen).
    static QPoint panelOrigin(const QRect &anchor, const QSize &panel, const QRect &available);

    // The eye in the tray, with the countdown ring during a timed period.
    static QIcon trayIcon(const QString &symbol, double remaining);
    // "1 h 30 min left, awake until 15:30": the tooltip during a timed period. Above a
    // minute it changes once a minute, so the host hears of it no more often.
    static QString countdownToolTip(qint64 remainingSeconds, const QDateTime &now);

Q_SIGNALS:
    // "Quit Corvane" in the tray's menu.
    void quitRequested();

public:
    // What the icon shows right now; for tests.
    QString symbol() const { return m_symbol; }
    QString countdown() const { return m_countdown; }

private:
    void scheduleRender();
    // Also rebuilds the menu on that turn: only what it shows changes it, not the tick.
    void scheduleMenu();
    void renderButton();
    void positionPanel();
    void renderMenu();
    void onMenu(int id);

    CorvaneTimerService &m_timer;
    Clock &m_clock;
    TrayIcon *m_tray = nullptr;
    GlassPanel *m_panel = nullptr;
    std::function<QWidget *()> m_makeContent;
    std::function<QIcon(const QString &, double)> m_iconFor;
    double m_ring = -2.0;
    QHash<QString, QIcon> m_icons; // by symbol and ring step
    QString m_symbol;
    QString m_countdown;
    bool m_renderQueued = false;
    bool m_menuStale = true;
    QElapsedTimer m_sinceClosed;
};
