// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PopoverFooter.h"

#include "wake/DisplaySleeper.h"
#include "ui/ApplicationListDialog.h"
#include "ui/LoginItemModel.h"
#include "ui/CorvaneStyles.h"
#include "ui/GlassPopoverView.h"
#include "ui/Icons.h"
#include "ui/ShortcutDialog.h"
#include "ui/UpdateModel.h"
#include "wake/CorvaneTimerService.h"
#include "wake/OtherInhibitors.h"
#include "wake/SettingSwitch.h"
#include "wake/TriggerSettings.h"
#include "wake/ToggleShortcut.h"

#include <QAbstractButton>
#include <QAction>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>

namespace {

constexpr int iconSize = 11;
const QKeySequence quitKeys(Qt::CTRL | Qt::Key_Q);

QString rgba(const QColor &c)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF(), 0, 'f', 3);
}

// The gear: a 26 × 22 hit area with the symbol in its middle.
class GearButton : public QAbstractButton {
public:
    explicit GearButton(QWidget *parent) : QAbstractButton(parent)
    {
        setFixedSize(26, 22);
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(PopoverFooter::tr("Settings"));
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const double size = 13;
        p.drawPixmap(QPointF((width() - size) / 2.0, (height() - size) / 2.0),
                     Icons::pixmap(QStringLiteral("gearshape.fill"), size, CorvaneStyles::withOpacity(Qt::white, 0.7),
                                   devicePixelRatioF()));
        if (hasFocus()) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(CorvaneStyles::withOpacity(Qt::white, 0.3), 1.0));
            p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        }
    }
};

// Dark like the panel, whatever the desktop's theme is.
QString menuStyle(const QColor &accent)
{
    return QStringLiteral("QMenu { background-color: rgb(30, 31, 36); border: 1px solid rgba(255, 255, 255, 0.16);"
                          " padding: 5px 0px; color: rgba(255, 255, 255, 0.92); font-size: 13px; }"
                          "QMenu::item { padding: 4px 18px 4px 26px; background: transparent; }"
                          "QMenu::item:selected { background-color: %1; color: white; }"
                          "QMenu::item:disabled { color: rgba(255, 255, 255, 0.38); }"
                          "QMenu::separator { height: 1px; background: rgba(255, 255, 255, 0.12); margin: 5px 10px; }"
                          "QMenu::indicator { width: 12px; height: 12px; left: 8px; }")
        .arg(rgba(CorvaneStyles::withOpacity(accent, 0.45)));
}

// A check item that shows `option` and writes it, and follows it when it changes elsewhere.
QAction *switchItem(const QString &text, SettingSwitch &option, QMenu *menu)
{
    auto *action = new QAction(text, menu);
    action->setCheckable(true);
    action->setChecked(option.isOn());
    QObject::connect(action, &QAction::triggered, &option, &SettingSwitch::setOn);
    QObject::connect(&option, &SettingSwitch::isOnChanged, action, &QAction::setChecked);
    return action;
}

} // namespace

PopoverFooter::PopoverFooter(CorvaneTimerService &timer, UpdateModel &updater, LoginItemModel &login,
                             DisplaySleeper &displaySleeper, std::function<void()> onQuit, QWidget *parent)
    : QWidget(parent),
      m_timer(timer),
      m_updater(updater),
      m_login(login),
      m_displaySleeper(displaySleeper),
      m_onQuit(std::move(onQuit))
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    m_offer = new QWidget(this);
    m_offer->setObjectName(QStringLiteral("tray-offer"));
    auto *offerLayout = new QVBoxLayout(m_offer);
    offerLayout->setContentsMargins(0, 0, 0, 0);
    offerLayout->setSpacing(4);
    m_offerText = new QLabel(m_offer);
    m_offerText->setWordWrap(true);
    m_offerText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_offerText->setFont(CorvaneStyles::systemFont(11, QFont::Normal));
    m_offerText->setStyleSheet(
        QStringLiteral("color: %1; background: transparent;").arg(rgba(CorvaneStyles::withOpacity(Qt::white, 0.75))));
    offerLayout->addWidget(m_offerText);
    auto *offerButton = new QPushButton(m_offer);
    offerButton->setObjectName(QStringLiteral("tray-offer-action"));
    offerButton->setFont(CorvaneStyles::systemFont(11, QFont::Medium));
    offerButton->setCursor(Qt::PointingHandCursor);
    offerButton->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: rgba(255, 255, 255, 0.08);"
                                              " border: 1px solid rgba(255, 255, 255, 0.16); border-radius: 6px;"
                                              " padding: 4px 10px; }"
                                              "QPushButton:focus { border-color: %1; }")
                                   .arg(CorvaneStyles::cyan().name()));
    connect(offerButton, &QAbstractButton::clicked, this, [this] {
        if (m_onOffer)
            m_onOffer();
    });
    m_offerButton = offerButton;
    offerLayout->addWidget(m_offerButton, 0, Qt::AlignLeft);
    m_offer->hide();
    column->addWidget(m_offer);

    auto *layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    column->addLayout(layout);

    m_icon = new QLabel(this);
    m_icon->setFixedSize(iconSize, iconSize);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("footer-mode"));
    m_text->setFont(CorvaneStyles::systemFont(11, QFont::Normal));
    m_text->setStyleSheet(
        QStringLiteral("color: %1; background: transparent;").arg(rgba(CorvaneStyles::withOpacity(Qt::white, 0.55))));
    layout->addWidget(m_text, 0, Qt::AlignVCenter);

    auto *update = new QPushButton(tr("Update available"), this);
    update->setFlat(true);
    update->setFont(CorvaneStyles::systemFont(11, QFont::Medium));
    update->setCursor(Qt::PointingHandCursor);
    update->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: transparent; border: none;"
                                         " padding: 0px; }")
                              .arg(CorvaneStyles::cyan().name()));
    update->setObjectName(QStringLiteral("update-available"));
    connect(update, &QAbstractButton::clicked, &m_updater, &UpdateModel::checkForUpdates);
    m_updateButton = update;
    layout->addWidget(m_updateButton, 0, Qt::AlignVCenter);

    layout->addStretch(1);

    m_gear = new GearButton(this);
    m_gear->setObjectName(QStringLiteral("settings-gear"));
    layout->addWidget(m_gear, 0, Qt::AlignVCenter);
    // Opens on the press, as a pull-down menu does.
    connect(m_gear, &QAbstractButton::pressed, this, &PopoverFooter::openMenu);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("settings-menu"));
    m_menu->setStyleSheet(menuStyle(CorvaneStyles::amber()));
    m_menu->setToolTipsVisible(true);

    m_launchAtLogin = m_menu->addAction(tr("Launch at Login"));
    m_launchAtLogin->setObjectName(QStringLiteral("launch-at-login"));
    m_launchAtLogin->setCheckable(true);
    connect(m_launchAtLogin, &QAction::triggered, this, [this](bool on) {
        m_login.setEnabled(on);
        // What the desktop now reports, which need not be what was asked for.
        refreshLogin();
    });

    m_approve = m_menu->addAction(tr("Enable in Autostart Settings\u2026"));
    m_approve->setObjectName(QStringLiteral("approve-launch-at-login"));
    connect(m_approve, &QAction::triggered, &m_login, &LoginItemModel::openSystemSettings);

    m_displayOffMode = m_menu->addAction(tr("Keep Display Off, Keep System Awake"));
    m_displayOffMode->setObjectName(QStringLiteral("display-off-mode"));
    m_displayOffMode->setCheckable(true);
    connect(m_displayOffMode, &QAction::triggered, this, [this](bool on) {
        m_timer.setMode(on ? AssertionMode::systemOnly : AssertionMode::displayAndSystem);
        refreshMode();
    });

    m_turnDisplayOff = m_menu->addAction(tr("Turn Display Off Now"));
    m_turnDisplayOff->setObjectName(QStringLiteral("turn-display-off"));
    connect(m_turnDisplayOff, &QAction::triggered, this, [this] { m_displaySleeper.turnDisplayOffNow(); });

    m_switchesEnd = m_menu->addSeparator();

    m_heldBy = m_menu->addAction(QString());
    m_heldBy->setEnabled(false);
    m_others = m_menu->addAction(QString());
    m_others->setEnabled(false);
    m_menu->addSeparator();

    m_checkForUpdates = m_menu->addAction(tr("Check for Updates\u2026"));
    m_checkForUpdates->setObjectName(QStringLiteral("check-for-updates"));
    connect(m_checkForUpdates, &QAction::triggered, &m_updater, &UpdateModel::checkForUpdates);

    m_menu->addAction(tr("Version %1").arg(m_updater.versionString()))->setEnabled(false);

    m_menu->addSeparator();

    QAction *quit = m_menu->addAction(tr("Quit Corvane"));
    quit->setShortcut(quitKeys);
    connect(quit, &QAction::triggered, this, [this] {
        if (m_onQuit)
            m_onQuit();
    });
    // While the menu is open it, not the panel, takes the keys; the action's own shortcut
    // only labels the item.
    auto *quitWhileOpen = new QShortcut(quitKeys, m_menu);
    quitWhileOpen->setContext(Qt::WindowShortcut);
    connect(quitWhileOpen, &QShortcut::activated, quit, &QAction::trigger);

    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        m_login.refresh();
        refreshLogin();
        if (m_otherInhibitors)
            m_otherInhibitors->refresh();
        refreshHeldBy();
    });
    connect(&m_timer, &CorvaneTimerService::heldByChanged, this, &PopoverFooter::refreshHeldBy);

    connect(&m_timer, &CorvaneTimerService::modeChanged, this, &PopoverFooter::refreshMode);
    connect(&m_updater, &UpdateModel::updateAvailableChanged, this, &PopoverFooter::refreshUpdater);
    connect(&m_updater, &UpdateModel::canCheckChanged, this, &PopoverFooter::refreshUpdater);
    connect(&m_login, &LoginItemModel::isEnabledChanged, this, &PopoverFooter::refreshLogin);
    connect(&m_login, &LoginItemModel::needsApprovalChanged, this, &PopoverFooter::refreshLogin);

    refreshMode();
    refreshUpdater();
    refreshLogin();
    refreshHeldBy();
}

PopoverFooter::~PopoverFooter()
{
    // A window of its own, so not deleted with the panel; it shows what the footer was given.
    delete m_applications;
}

void PopoverFooter::setOtherInhibitors(OtherInhibitors *others)
{
    m_otherInhibitors = others;
    connect(others, &OtherInhibitors::changed, this, &PopoverFooter::refreshHeldBy);
    refreshHeldBy();
}

void PopoverFooter::refreshHeldBy()
{
    // Names and reasons come from other programs and may be of any length: the menu keeps
    // its width, and the whole text is in the item's tooltip.
    const auto setText = [this](QAction *action, const QString &text) {
        action->setText(m_menu->fontMetrics().elidedText(text, Qt::ElideRight, maxItemTextWidth));
        action->setToolTip(text);
    };
    const QString heldBy = m_timer.heldBy();
    setText(m_heldBy, heldBy.isEmpty() ? tr("Not keeping this computer awake") : tr("Kept awake by %1").arg(heldBy));
    const QStringList others = m_otherInhibitors ? m_otherInhibitors->list() : QStringList();
    m_others->setVisible(!others.isEmpty());
    setText(m_others, tr("Also keeping it awake: %1").arg(others.join(QLatin1String("; "))));
}

QAction *PopoverFooter::addSwitch(const QString &text, SettingSwitch &option)
{
    QAction *action = switchItem(text, option, m_menu);
    m_menu->insertAction(m_switchesEnd, action);
    return action;
}

QMenu *PopoverFooter::addTriggerMenu(TriggerSettings &triggers, RunningPrograms &running)
{
    auto *submenu = new QMenu(tr("Keep Awake Automatically"), m_menu);
    submenu->setObjectName(QStringLiteral("keep-awake-automatically"));
    m_menu->insertMenu(m_switchesEnd, submenu);

    auto addTrigger = [submenu](const QString &text, const char *name, SettingSwitch &option) {
        QAction *action = switchItem(text, option, submenu);
        action->setObjectName(QLatin1String(name));
        submenu->addAction(action);
    };
    addTrigger(tr("While Media Plays"), "while-media-plays", triggers.whileMediaPlays);
    addTrigger(tr("While Someone Is Logged In Remotely"), "while-remote-session", triggers.whileRemoteSession);

    QAction *applications = submenu->addAction(QString());
    applications->setObjectName(QStringLiteral("while-applications-run"));
    auto countApplications = [applications, &triggers] {
        const qsizetype count = triggers.applications().size();
        applications->setText(count == 0 ? tr("While Applications Run\u2026")
                                         : tr("While Applications Run (%1)\u2026").arg(count));
    };
    countApplications();
    connect(&triggers, &TriggerSettings::applicationsChanged, applications, countApplications);
    connect(applications, &QAction::triggered, this, [this, &triggers, &running] {
        if (!m_applications)
            m_applications = new ApplicationListDialog(triggers, running);
        m_applications->show();
        m_applications->raise();
        m_applications->activateWindow();
    });

    // Applies to all of the above, so it stands apart.
    submenu->addSeparator();
    addTrigger(tr("Also on Battery"), "triggers-on-battery", triggers.onBattery);
    return submenu;
}

void PopoverFooter::setToggleShortcut(ToggleShortcut *shortcut)
{
    auto *action = new QAction(tr("Keyboard Shortcut\u2026"), m_menu);
    action->setObjectName(QStringLiteral("toggle-shortcut"));
    m_menu->insertAction(m_launchAtLogin, action);
    connect(action, &QAction::triggered, this, [shortcut] {
        // A window of its own: the panel may close while the keys are being recorded.
        auto *dialog = new ShortcutDialog(*shortcut);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    });
}

void PopoverFooter::setTrayOffer(const QString &text, const QString &action, std::function<void()> onAction)
{
    m_onOffer = std::move(onAction);
    m_offerText->setText(text);
    m_offerButton->setText(action);
    m_offerButton->setVisible(!action.isEmpty());
    m_offer->setVisible(!text.isEmpty());
}

void PopoverFooter::openMenu()
{
    if (m_menu->isVisible())
        return;
    // Right-aligned under the gear, so it stays over the panel rather than off its edge;
    // where the screen has no room there (a panel near the left edge, a large scale), it
    // goes to the side that fits, above the gear when there is no room below.
    const QSize size = m_menu->sizeHint();
    const QRect gear(m_gear->mapToGlobal(QPoint(0, 0)), m_gear->size());
    QPoint at(gear.right() + 1 - size.width(), gear.bottom() + 3);
    if (const QScreen *screen = m_gear->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.x() < room.left())
            at.setX(std::min(gear.left(), room.right() + 1 - size.width()));
        at.setX(std::max(at.x(), room.left()));
        if (at.y() + size.height() > room.bottom() + 1)
            at.setY(std::max(room.top(), gear.top() - 2 - size.height()));
    }
    m_menu->popup(at);
    // The press that opened the menu ends in the menu; the gear must not stay down.
    m_gear->setDown(false);
}

void PopoverFooter::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Each time the popover comes on screen: the user may have changed the autostart
    // entry in the desktop's settings meanwhile.
    m_login.refresh();
    refreshLogin();
}

void PopoverFooter::refreshMode()
{
    const bool systemOnly = m_timer.mode() == AssertionMode::systemOnly;
    const QColor accent = GlassPopoverView::accentFor(m_timer.mode());
    m_icon->setPixmap(Icons::pixmap(systemOnly ? QStringLiteral("cpu") : QStringLiteral("display"), iconSize,
                                    CorvaneStyles::withOpacity(accent, 0.85), devicePixelRatioF()));
    m_text->setText(systemOnly ? tr("System Only") : tr("Display + System"));
    {
        const QSignalBlocker block(m_displayOffMode);
        m_displayOffMode->setChecked(systemOnly);
    }
    m_menu->setStyleSheet(menuStyle(accent));
}

void PopoverFooter::refreshUpdater()
{
    m_updateButton->setVisible(m_updater.updateAvailable());
    m_checkForUpdates->setEnabled(m_updater.canCheck());
}

void PopoverFooter::refreshLogin()
{
    {
        const QSignalBlocker block(m_launchAtLogin);
        m_launchAtLogin->setChecked(m_login.isEnabled());
    }
    m_approve->setVisible(m_login.needsApproval());
}
