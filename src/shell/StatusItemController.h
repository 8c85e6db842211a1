#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>

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
    static constexpr int gap = 6;
    static constexpr int screenMargin = 8;

    // `makeContent` builds the popover the panel hosts; `iconFor` draws the eye for the
    // given state ("eye" or "eye.fill").
    StatusItemController(CorvaneTimerService &timer, std::function<QWidget *()> makeContent,
                         std::function<QIcon(const QString &symbol)> iconFor, QObject *parent = nullptr);
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

    // The eye in the tray: white with a dark edge, so it reads on light and dark panels.
    static QIcon trayIcon(const QString &symbol);

    // What the icon shows right now; for tests.
    QString symbol() const { return m_symbol; }
    QString countdown() const { return m_countdown; }

private:
    void scheduleRender();
    void renderButton();
    void positionPanel();

    CorvaneTimerService &m_timer;
    TrayIcon *m_tray = nullptr;
    GlassPanel *m_panel = nullptr;
    std::function<QWidget *()> m_makeContent;
    std::function<QIcon(const QString &)> m_iconFor;
    // Each picture drawn once: a new QIcon per change also fills Qt's pixmap cache with
    // copies keyed to icons that are gone (about 3 KB a start/stop, up to its 10 MB).
    QHash<QString, QIcon> m_icons;
    QString m_symbol;
    QString m_countdown;
    bool m_renderQueued = false;
    QElapsedTimer m_sinceClosed;
};
