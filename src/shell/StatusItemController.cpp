// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StatusItemController.h"

#include "platform/AbstractTrayIcon.h"
#include "shell/GlassPanel.h"
#include "shell/PanelPlacement.h"
#include "shell/TrayPresenter.h"
#include "ui/Icons.h"
#include "wake/CorvaneTimerService.h"
#include "wake/DurationPresets.h"
#include "wake/Logging.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {
// The click on the icon that closed the panel (as a click outside it) arrives right after
// as a fresh activation; it must not open the panel again.
constexpr int reopenGuardMs = 300;

DBusMenuEntry menuEntry(const TrayPresenter::MenuRow &row)
{
    if (row.isSeparator())
        return DBusMenuEntry{row.id, {}, true};
    using Check = TrayPresenter::MenuRow::Check;
    const auto check = row.check == Check::Radio
        ? DBusMenuEntry::Check::Radio
        : (row.check == Check::Checkmark ? DBusMenuEntry::Check::Checkmark : DBusMenuEntry::Check::None);
    return DBusMenuEntry{row.id, row.text, false, true, check, row.checked};
}
} // namespace

StatusItemController::StatusItemController(CorvaneTimerService &timer, Clock &clock, AbstractTrayIcon *icon,
                                           std::function<QWidget *()> makeContent, QObject *parent)
    : QObject(parent),
      m_timer(timer),
      m_clock(clock),
      m_tray(icon),
      m_makeContent(std::move(makeContent))
{
    m_tray->setParent(this);
    connect(m_tray, &AbstractTrayIcon::clicked, this, &StatusItemController::togglePanel);
    connect(m_tray, &AbstractTrayIcon::quickToggleRequested, this, &StatusItemController::toggleWake);
    connect(m_tray, &AbstractTrayIcon::menuTriggered, this, &StatusItemController::onMenu);
    // The end time in the first row is read afresh whenever the menu opens.
    connect(m_tray, &AbstractTrayIcon::menuAboutToShow, this, &StatusItemController::renderMenu);
    // Queued: a tray known at once is known before the owner has said how the program started.
    connect(m_tray, &AbstractTrayIcon::hostChanged, this, &StatusItemController::onHostChanged, Qt::QueuedConnection);
    // Whether the host shows the label decides where the countdown goes.
    connect(m_tray, &AbstractTrayIcon::hostChanged, this, &StatusItemController::scheduleRender);

    connect(&m_timer, &CorvaneTimerService::activeChanged, this, &StatusItemController::scheduleMenu);
    connect(&m_timer, &CorvaneTimerService::modeChanged, this, &StatusItemController::scheduleMenu);
    connect(&m_timer, &CorvaneTimerService::lastDurationChanged, this, &StatusItemController::scheduleMenu);
    connect(&m_timer, &CorvaneTimerService::remainingSecondsChanged, this, &StatusItemController::scheduleRender);
    connect(&m_timer, &CorvaneTimerService::assertionFailedChanged, this, &StatusItemController::scheduleRender);
    connect(&m_timer, &CorvaneTimerService::startingChanged, this, &StatusItemController::scheduleRender);
    connect(&m_timer, &CorvaneTimerService::heldChanged, this, &StatusItemController::scheduleMenu);
    connect(&m_timer, &CorvaneTimerService::triggerChanged, this, &StatusItemController::scheduleRender);
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
        m_panel->setShieldsDesktop(m_desktopHidesPresses);
        connect(m_panel, &GlassPanel::closed, this, [this] { m_sinceClosed.start(); });
        m_panel->onOutsidePress = [this](QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
            return onOutsidePress(at, button, modifiers);
        };
        QPointer<StatusItemController> self(this);
        m_panel->onResize = [self] {
            if (self)
                self->positionPanel();
        };
    }
    return *m_panel;
}

bool StatusItemController::onOutsidePress(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    // While the panel is open every press passes here first. Any press away from our icon
    // closes the panel and goes on.
    if (!m_tray->pressArea().contains(at))
        return false;
    const bool quick = button != Qt::LeftButton || modifiers.testFlag(Qt::AltModifier);
    if (!quick) {
        // A plain click on our own icon only closes. Kept from the host: it would otherwise
        // activate the item again (GNOME's extension does so on release) and the panel
        // would reopen.
        closePanel();
        return true;
    }
    // Alt+click, a right or a middle click on our own icon is still the quick toggle, and
    // the panel stays as it is. Kept from the host too, which would toggle a second time or
    // show its menu; and the XEmbed icon would take a second such click soon after the first
    // for a double click and do nothing.
    toggleWake();
    return true;
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
    const TrayPresenter::State state = TrayPresenter::State::of(m_timer, m_tray->showsLabel());
    const QString symbol = TrayPresenter::symbol(state);
    const double ring = TrayPresenter::ring(state);
    const QString key = symbol + QLatin1Char('/') + QString::number(ring);
    if (key != m_iconKey) {
        m_iconKey = key;
        // Each picture drawn once, not again for every period: the ring moves in a fixed
        // number of steps, so the set stays small.
        auto icon = m_icons.find(key);
        if (icon == m_icons.end())
            icon = m_icons.insert(key, Icons::trayIcon(symbol, ring));
        m_tray->setIcon(*icon, TrayPresenter::description(state));
    }
    m_tray->setCountdown(TrayPresenter::label(state), TrayPresenter::labelGuide());
    m_tray->setToolTip(TrayPresenter::toolTip(state, QDateTime::currentDateTime()));
    if (m_menuStale)
        renderMenu();
}

void StatusItemController::renderMenu()
{
    m_menuStale = false;
    QList<DBusMenuEntry> entries;
    for (const TrayPresenter::MenuRow &row :
         TrayPresenter::menu(TrayPresenter::State::of(m_timer), QDateTime::currentDateTime()))
        entries << menuEntry(row);
    m_tray->setMenu(entries);
}

void StatusItemController::onMenu(int id)
{
    const qsizetype preset = id - TrayPresenter::FirstPresetRow;
    if (id == TrayPresenter::QuickToggleRow) {
        toggleWake();
    } else if (preset >= 0 && preset < DurationPresets::all.size()) {
        m_timer.start(DurationPresets::all[preset]);
    } else if (id == TrayPresenter::ModeRow) {
        m_timer.setMode(m_timer.mode() == AssertionMode::displayAndSystem ? AssertionMode::systemOnly
                                                                          : AssertionMode::displayAndSystem);
    } else if (id == TrayPresenter::OpenRow) {
        openPanel();
    } else if (id == TrayPresenter::QuitRow) {
        Q_EMIT quitRequested();
    }
}

void StatusItemController::toggleWake()
{
    m_timer.toggle();
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

void StatusItemController::onHostChanged()
{
    if (m_tray->host() == AbstractTrayIcon::Host::Unknown || m_hostKnown)
        return;
    // Only the first answer: a tray that goes later leaves the user with nothing to click,
    // but opening a window then, unasked, would be worse.
    m_hostKnown = true;
    if (m_tray->host() == AbstractTrayIcon::Host::None && !m_quietStart) {
        qCInfo(lcPanel) << "No tray shows the icon: the panel opens as a window";
        openPanel();
    }
}

void StatusItemController::openPanel()
{
    using Kind = GlassPanel::Kind;
    const Kind kind = m_tray->host() == AbstractTrayIcon::Host::None
        ? Kind::Window
        : (m_wayland ? Kind::ManagedPopover : Kind::Popover);
    if (m_panel && m_panel->kind() != kind) {
        // Built anew rather than given new window flags: under Mutter the first show of a
        // window recreated that way was undone at once. The kind changes only when a tray
        // comes or goes.
        delete m_panel;
        m_panel = nullptr;
    }
    GlassPanel &shown = panel();
    if (!shown.isVisible() || shown.kind() != kind) {
        shown.setKind(kind);
        positionPanel();
    }
    shown.present();
    Q_EMIT panelOpened(kind == Kind::Window);
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
    if (m_panel->kind() == GlassPanel::Kind::Window) {
        // Never at the pointer: the place is the primary screen's, whatever the height.
        QScreen *primary = QGuiApplication::primaryScreen();
        const QPoint origin =
            PanelPlacement::windowOrigin(m_panel->cardSize(), primary ? primary->availableGeometry() : QRect());
        qCDebug(lcPanel) << "Panel window at" << origin;
        m_panel->moveCardTo(origin);
        return;
    }
    const QRect anchor = m_tray->anchorRect();
    QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen
        ? PanelPlacement::origin(anchor, m_panel->cardSize(), screen->geometry(), screen->availableGeometry())
        : PanelPlacement::origin(anchor, m_panel->cardSize(), {}, {});
    qCDebug(lcPanel) << "Panel at" << origin << "under the icon at" << anchor << "on"
                     << (screen ? screen->name() : QStringLiteral("no screen"));
    m_panel->moveCardTo(origin);
}
