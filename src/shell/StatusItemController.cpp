// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StatusItemController.h"

#include "ui/Haptics.h"
#include "platform/TrayIcon.h"
#include "shell/GlassPanel.h"
#include "wake/CorvaneTimerService.h"
#include "wake/Logging.h"

#include "ui/GlassPopoverView.h"
#include "ui/Icons.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace {
// The click on the icon that closed the panel (as a click outside it) arrives right after
// as a fresh activation; it must not open the panel again.
constexpr int reopenGuardMs = 300;
// Steps of the countdown ring: fine enough to move visibly at 64 px, and it moves only
// when the countdown text changes.
constexpr double ringSteps = 48.0;

QString trayText(const char *text)
{
    return QCoreApplication::translate("StatusItemController", text);
}

// The end of the period to the minute, rounded, so it reads the same every second.
QString endTime(qint64 remainingSeconds, const QDateTime &now)
{
    const QDateTime end = now.addSecs(remainingSeconds + 30);
    return QLocale().toString(QTime(end.time().hour(), end.time().minute()), QLocale::ShortFormat);
}

QString durationText(const WakeDuration &duration)
{
    return duration.isTimed() ? formatMinutes(duration.minuteCount()) : trayText("Until Turned Off");
}
} // namespace

StatusItemController::StatusItemController(CorvaneTimerService &timer, Clock &clock,
                                           std::function<QWidget *()> makeContent,
                                           std::function<QIcon(const QString &, double)> iconFor, QObject *parent)
    : QObject(parent),
      m_timer(timer),
      m_clock(clock),
      m_iconFor(std::move(iconFor))
{
    m_tray = new TrayIcon(this);
    m_makeContent = std::move(makeContent);

    connect(m_tray, &TrayIcon::clicked, this, &StatusItemController::togglePanel);
    connect(m_tray, &TrayIcon::quickToggleRequested, this, [this] {
        Haptics::levelChange();
        toggleWake();
    });

    connect(&m_timer, &CorvaneTimerService::activeChanged, this, &StatusItemController::scheduleMenu);
    connect(&m_timer, &CorvaneTimerService::remainingSecondsChanged, this, &StatusItemController::scheduleRender);
    connect(&m_timer, &CorvaneTimerService::modeChanged, this, &StatusItemController::scheduleMenu);
    connect(&m_timer, &CorvaneTimerService::lastDurationChanged, this, &StatusItemController::scheduleMenu);
    connect(m_tray, &TrayIcon::menuTriggered, this, &StatusItemController::onMenu);
    // The end time in the first row is read afresh whenever the menu opens.
    connect(m_tray, &TrayIcon::menuAboutToShow, this, &StatusItemController::renderMenu);
    connect(&m_timer, &CorvaneTimerService::assertionFailedChanged, this, &StatusItemController::scheduleRender);
    connect(&m_timer, &CorvaneTimerService::startingChanged, this, &StatusItemController::scheduleRender);
    renderButton();
    m_tray->show();
}

StatusItemController::~StatusItemController()
{
    delete m_panel;
}

GlassPanel &StatusItemController::panel()
{
    // Built on first use: the panel and its popover are most of the program's memory, and
    // many sessions never open it.
    if (!m_panel) {
        m_panel = new GlassPanel(m_makeContent(), m_clock);
        connect(m_panel, &GlassPanel::closed, this, [this] { m_sinceClosed.start(); });
        // While the panel is open every press passes here first: Alt+click, a right or a
        // middle click on our own XEmbed icon is still the quick toggle, and the panel stays
        // as it is. (The icon itself would take a second click soon after the first for a
        // double click and do nothing.) A plain click on our own icon only closes. Any other
        // press closes the panel and goes on.
        m_panel->onOutsidePress = [this](QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
            const bool quick = button != Qt::LeftButton || modifiers.testFlag(Qt::AltModifier);
            const bool xembed = m_tray->backend() == TrayIcon::Backend::XEmbed;
            // A StatusNotifier host tells where it was clicked, not how large the icon is.
            const QRect icon = xembed ? m_tray->anchorRect() : m_tray->anchorRect().adjusted(-10, -10, 10, 10);
            if (!m_tray->knowsWhereTheIconIs() || !icon.contains(at))
                return false;
            if (!quick) {
                // A plain click on our own icon only closes. Kept from the host: it would
                // otherwise activate the item again (GNOME's extension does so on release)
                // and the panel would reopen.
                closePanel();
                return true;
            }
            if (!xembed)
                return false;
            Haptics::levelChange();
            toggleWake();
            return true;
        };
        QPointer<StatusItemController> self(this);
        m_panel->onResize = [self] {
            if (self)
                self->positionPanel();
        };
    }
    return *m_panel;
}

void StatusItemController::scheduleRender()
{
    // Applied on a later turn of the event loop, once for any number of changes.
    if (m_renderQueued)
        return;
    m_renderQueued = true;
    QPointer<StatusItemController> self(this);
    QTimer::singleShot(0, this, [self] {
        if (!self)
            return;
        self->m_renderQueued = false;
        self->renderButton();
    });
}

void StatusItemController::scheduleMenu()
{
    m_menuStale = true;
    scheduleRender();
}

void StatusItemController::renderButton()
{
    const std::optional<WakeDuration> active = m_timer.active();
    const bool timed = active && active->isTimed();
    const qint64 remaining = m_timer.remainingSeconds();
    // A refusal shows until the next attempt, even with the panel closed.
    const bool failed = m_timer.assertionFailed() && !m_timer.starting();
    const QString symbol = failed ? QStringLiteral("exclamationmark.triangle.fill")
                                  : (active ? QStringLiteral("eye.fill") : QStringLiteral("eye"));
    const QString countdown = timed ? formatCompact(remaining) : QString();
    double ring = m_ring;
    if (!timed || failed) {
        ring = -1.0;
    } else if (countdown != m_countdown || m_ring < 0) {
        const double total = double(std::max<qint64>(1, m_timer.totalSeconds()));
        ring = std::ceil(ringSteps * std::clamp(double(remaining) / total, 0.0, 1.0)) / ringSteps;
    }
    if (symbol != m_symbol || ring != m_ring) {
        m_symbol = symbol;
        m_ring = ring;
        // Each picture drawn once: a new QIcon per change also fills Qt's pixmap cache with
        // copies keyed to icons that are gone (about 3 KB a start/stop, up to its 10 MB).
        // The ring moves in a fixed number of steps, so the set stays small.
        const QString key = symbol + QLatin1Char('/') + QString::number(ring);
        auto icon = m_icons.find(key);
        if (icon == m_icons.end())
            icon = m_icons.insert(key, m_iconFor(symbol, ring));
        m_tray->setIcon(*icon,
                        failed ? tr("Corvane could not keep this computer awake")
                               : (active ? tr("Corvane active") : tr("Corvane idle")));
    }
    m_countdown = countdown;
    // The guide is as wide as the widest countdown, so the label never changes width.
    m_tray->setCountdown(m_countdown, QStringLiteral("00h00"));
    if (failed)
        m_tray->setToolTip(tr("Corvane could not keep this computer awake"));
    else if (timed)
        m_tray->setToolTip(countdownToolTip(remaining, QDateTime::currentDateTime()));
    else if (active)
        m_tray->setToolTip(tr("Awake until turned off"));
    else
        m_tray->setToolTip(tr("Click for options, middle-click to keep this computer awake"));
    if (m_menuStale)
        renderMenu();
}

QString StatusItemController::countdownToolTip(qint64 remainingSeconds, const QDateTime &now)
{
    const QString left = remainingSeconds < 60 ? tr("Less than a minute left")
                                               : tr("%1 left").arg(formatMinutes((remainingSeconds + 59) / 60));
    return tr("%1, awake until %2").arg(left, endTime(remainingSeconds, now));
}

void StatusItemController::renderMenu()
{
    m_menuStale = false;
    const std::optional<WakeDuration> active = m_timer.active();
    QList<DBusMenuEntry> rows;
    DBusMenuEntry toggle{QuickToggleRow, {}};
    if (!active)
        toggle.label = m_timer.lastDuration().isTimed()
            ? tr("Keep Awake for %1").arg(formatMinutes(m_timer.lastDuration().minuteCount()))
            : tr("Keep Awake Until Turned Off");
    else if (active->isTimed())
        toggle.label =
            tr("Turn Off (awake until %1)").arg(endTime(m_timer.remainingSeconds(), QDateTime::currentDateTime()));
    else
        toggle.label = tr("Turn Off");
    rows << toggle << DBusMenuEntry{0, {}, true};
    for (qsizetype i = 0; i < GlassPopoverView::presets.size(); ++i) {
        const WakeDuration preset = GlassPopoverView::presets[i];
        rows << DBusMenuEntry{FirstPresetRow + int(i),     durationText(preset),       false, true,
                              DBusMenuEntry::Check::Radio, active && *active == preset};
    }
    rows << DBusMenuEntry{-1, {}, true};
    rows << DBusMenuEntry{ModeRow, tr("Keep the Display On"),       false,
                          true,    DBusMenuEntry::Check::Checkmark, m_timer.mode() == AssertionMode::displayAndSystem};
    rows << DBusMenuEntry{-2, {}, true};
    rows << DBusMenuEntry{OpenRow, tr("Open Corvane")} << DBusMenuEntry{QuitRow, tr("Quit Corvane")};
    // Separators need ids of their own too; they sit above every row id.
    int separatorId = 100;
    for (DBusMenuEntry &row : rows) {
        if (row.separator)
            row.id = separatorId++;
    }
    m_tray->setMenu(rows);
}

void StatusItemController::onMenu(int id)
{
    if (id == QuickToggleRow) {
        toggleWake();
    } else if (id >= FirstPresetRow && id < FirstPresetRow + GlassPopoverView::presets.size()) {
        m_timer.start(GlassPopoverView::presets[id - FirstPresetRow]);
    } else if (id == ModeRow) {
        m_timer.setMode(m_timer.mode() == AssertionMode::displayAndSystem ? AssertionMode::systemOnly
                                                                          : AssertionMode::displayAndSystem);
    } else if (id == OpenRow) {
        openPanel();
    } else if (id == QuitRow) {
        Q_EMIT quitRequested();
    }
}

void StatusItemController::toggleWake()
{
    if (!m_timer.active())
        m_timer.start(m_timer.lastDuration());
    else
        m_timer.stop();
}

void StatusItemController::togglePanel()
{
    if (m_panel && m_panel->isVisible()) {
        closePanel();
        return;
    }
    if (m_sinceClosed.isValid() && m_sinceClosed.elapsed() < reopenGuardMs)
        return;
    openPanel();
}

void StatusItemController::openPanel()
{
    GlassPanel &shown = panel();
    positionPanel();
    shown.show();
    shown.raise();
    shown.activateWindow();
    shown.setFocus(Qt::PopupFocusReason);
}

void StatusItemController::closePanel()
{
    if (m_panel)
        m_panel->hide();
}

void StatusItemController::positionPanel()
{
    if (!m_panel)
        return;
    const QRect anchor = m_tray->anchorRect();
    QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QPoint origin = panelOrigin(anchor, m_panel->cardSize(), available);
    qCDebug(lcPanel) << "Panel at" << origin << "under the icon at" << anchor << "on"
                     << (screen ? screen->name() : QStringLiteral("no screen"));
    m_panel->moveCardTo(origin);
}

QIcon StatusItemController::trayIcon(const QString &symbol, double remaining)
{
    return Icons::trayIcon(symbol, remaining);
}

QPoint StatusItemController::panelOrigin(const QRect &anchor, const QSize &panel, const QRect &available)
{
    // The middle pixel of the anchor: for a click point, the point itself.
    const double centre = anchor.x() + (anchor.width() - 1) / 2.0;
    int x = int(std::lround(centre - panel.width() * 0.5));
    int y = anchor.y() + anchor.height() + gap;
    if (available.isValid()) {
        // A click point may lie inside the panel bar; hang from the bar's edge.
        const int below = std::max(anchor.y() + anchor.height(), available.y()) + gap;
        const int above = std::min(anchor.y(), available.y() + available.height()) - gap - panel.height();
        const int lowest = available.y() + available.height() - panel.height();
        const bool fitsBelow = below <= lowest;
        const bool fitsAbove = above >= available.y();
        // Below a tray in the upper half, above one in the lower half; the other side when
        // the panel does not fit there; and inside the usable area whatever the point was.
        const bool trayAtBottom = anchor.center().y() > available.center().y();
        y = trayAtBottom ? (fitsAbove || !fitsBelow ? above : below) : (fitsBelow || !fitsAbove ? below : above);
        y = std::max(std::min(y, lowest), available.y());
        x = std::max(x, available.x() + screenMargin);
        x = std::min(x, available.x() + available.width() - panel.width() - screenMargin);
    }
    return {x, y};
}
