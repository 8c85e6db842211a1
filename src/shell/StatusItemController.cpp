#include "shell/StatusItemController.h"

#include "ui/Haptics.h"
#include "platform/TrayIcon.h"
#include "shell/GlassPanel.h"
#include "wake/CorvaneTimerService.h"
#include "wake/Logging.h"

#include "ui/Icons.h"

#include <QGuiApplication>
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
} // namespace

StatusItemController::StatusItemController(CorvaneTimerService &timer, std::function<QWidget *()> makeContent,
                                           std::function<QIcon(const QString &)> iconFor, QObject *parent)
    : QObject(parent), m_timer(timer), m_iconFor(std::move(iconFor))
{
    m_tray = new TrayIcon(this);
    m_makeContent = std::move(makeContent);
    m_tray->setToolTip(tr("Corvane: click for options, Alt-click to toggle"));

    connect(m_tray, &TrayIcon::clicked, this, &StatusItemController::togglePanel);
    connect(m_tray, &TrayIcon::quickToggleRequested, this, [this] {
        Haptics::levelChange();
        toggleWake();
    });

    connect(&m_timer, &CorvaneTimerService::activeChanged, this, &StatusItemController::scheduleRender);
    connect(&m_timer, &CorvaneTimerService::remainingSecondsChanged, this, &StatusItemController::scheduleRender);
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
        m_panel = new GlassPanel(m_makeContent());
        connect(m_panel, &GlassPanel::closed, this, [this] { m_sinceClosed.start(); });
        // While the panel is open it holds the pointer like a menu, so a click on our own
        // XEmbed icon arrives here first: Alt+click, a right or a middle click there is
        // still the quick toggle, and the panel stays as it is.
        m_panel->onOutsidePress = [this](QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
            const bool quick = button != Qt::LeftButton || modifiers.testFlag(Qt::AltModifier);
            if (!quick || m_tray->backend() != TrayIcon::Backend::XEmbed || !m_tray->anchorRect().contains(at))
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

void StatusItemController::renderButton()
{
    const std::optional<WakeDuration> active = m_timer.active();
    // A refusal shows until the next attempt, even with the panel closed.
    const bool failed = m_timer.assertionFailed() && !m_timer.starting();
    const QString symbol = failed ? QStringLiteral("exclamationmark.triangle.fill")
                                  : (active ? QStringLiteral("eye.fill") : QStringLiteral("eye"));
    if (symbol != m_symbol) {
        m_symbol = symbol;
        auto icon = m_icons.find(symbol);
        if (icon == m_icons.end())
            icon = m_icons.insert(symbol, m_iconFor(symbol));
        m_tray->setIcon(*icon, failed ? tr("Corvane could not keep this computer awake")
                                      : (active ? tr("Corvane active") : tr("Corvane idle")));
    }
    m_countdown = (active && active->isTimed()) ? formatCompact(m_timer.remainingSeconds()) : QString();
    // The guide is as wide as the widest countdown, so the label never changes width.
    m_tray->setCountdown(m_countdown, QStringLiteral("00h00"));
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

QIcon StatusItemController::trayIcon(const QString &symbol)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter p(&out);
        const double glyph = size * 0.875;
        const double inset = (size - glyph) / 2;
        const QImage edge = Icons::image(symbol, glyph, QColor(0, 0, 0, 150));
        for (const QPointF offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            p.drawImage(QPointF(inset, inset) + offset * (size / 32.0 + 0.5), edge);
        p.drawImage(QPointF(inset, inset), Icons::image(symbol, glyph, Qt::white));
        p.end();
        icon.addPixmap(QPixmap::fromImage(out));
    }
    return icon;
}

QPoint StatusItemController::panelOrigin(const QRect &anchor, const QSize &panel, const QRect &available)
{
    // The middle pixel of the anchor: for a click point, the point itself.
    const double centre = anchor.x() + (anchor.width() - 1) / 2.0;
    int x = int(std::lround(centre - panel.width() * 0.5));
    int y = anchor.y() + anchor.height() + gap;
    if (available.isValid()) {
        const bool trayAtBottom = anchor.center().y() > available.center().y();
        if (trayAtBottom) {
            // A click point may lie inside the panel bar; hang from the bar's edge.
            const int top = std::min(anchor.y(), available.y() + available.height());
            y = top - gap - panel.height();
        } else {
            y = std::max(anchor.y() + anchor.height(), available.y()) + gap;
        }
        x = std::max(x, available.x() + screenMargin);
        x = std::min(x, available.x() + available.width() - panel.width() - screenMargin);
    }
    return {x, y};
}
