// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GlassPopoverView.h"

#include "ui/CorvaneStyles.h"
#include "ui/EdgeTransition.h"
#include "ui/Icons.h"
#include "ui/OverhangSlot.h"
#include "ui/PresetPill.h"
#include "ui/ProgressBar.h"
#include "ui/PulseDot.h"
#include "ui/StatusChip.h"
#include "ui/WakeSwitch.h"
#include "wake/CorvaneTimerService.h"
#include "wake/DurationPresets.h"
#include "wake/PeriodEnd.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
constexpr int cardWidth = 300;

// A hairline in white at 0.08 between the custom section and the footer.
class Divider : public QWidget {
public:
    explicit Divider(QWidget *parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), CorvaneStyles::withOpacity(Qt::white, 0.08));
    }
};
} // namespace

GlassPopoverView::GlassPopoverView(CorvaneTimerService &timer, Clock &clock, std::function<void()> onQuit,
                                   QWidget *parent)
    : GlassContainer(18.0, parent),
      m_timer(timer),
      m_onQuit(std::move(onQuit))
{
    setFixedWidth(cardWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(16, 16, 16, 16);
    m_layout->setSpacing(14);
    m_layout->setSizeConstraint(QLayout::SetNoConstraint);

    // Header: dot, name, chip; the countdown bar under them while a timed period runs.
    auto *header = new QVBoxLayout;
    header->setSpacing(10);
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    m_headerRow = row;
    m_dot = new PulseDot(clock, this);
    auto *name = new QLabel(QStringLiteral("Corvane"), this);
    name->setFont(CorvaneStyles::systemFont(15, QFont::Medium));
    name->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_chip = new StatusChip(clock, this);
    row->addWidget(m_dot);
    row->addWidget(name);
    row->addStretch(1);
    row->addWidget(m_chip);
    header->addLayout(row);
    m_progress = new ProgressBar(clock, this);
    m_progressSlot = new OverhangSlot(m_progress, QMargins(4, 4, 4, 4), this);
    header->addWidget(m_progressSlot);
    m_progressSlot->hide();
    m_progressTransition = new EdgeTransition(m_progressSlot, m_progress, clock);
    m_layout->addLayout(header);

    m_switch = new WakeSwitch(clock, this);
    m_switch->setObjectName(QStringLiteral("wake-switch"));
    m_switch->setTrackHeight(58);
    m_switch->setKnobSize(48);
    m_switch->setInset(5);
    connect(m_switch, &WakeSwitch::clicked, this, &GlassPopoverView::toggleWake);
    m_layout->addWidget(new OverhangSlot(m_switch, QMargins(16, 16, 16, 16), this));

    m_banner = new QWidget(this);
    auto *banner = new QHBoxLayout(m_banner);
    banner->setContentsMargins(0, 0, 0, 0);
    banner->setSpacing(5);
    m_bannerIcon = new QLabel(m_banner);
    m_bannerIcon->setPixmap(Icons::pixmap(QStringLiteral("exclamationmark.triangle.fill"), 11, CorvaneStyles::amber(),
                                          devicePixelRatioF()));
    auto *bannerText = new QLabel(tr("The system refused to keep this computer awake."), m_banner);
    bannerText->setFont(CorvaneStyles::systemFont(11, QFont::Normal));
    // Longer in other languages: the row grows rather than cutting the sentence.
    bannerText->setWordWrap(true);
    bannerText->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(CorvaneStyles::amber().name()));
    banner->addWidget(m_bannerIcon);
    banner->addWidget(bannerText, 1);
    m_layout->addWidget(m_banner);
    m_banner->hide();
    m_bannerTransition = new EdgeTransition(m_banner, m_banner, clock);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < DurationPresets::all.size(); ++i) {
        const WakeDuration preset = DurationPresets::all[i];
        auto *pill = new PresetPill(presetTitle(preset), clock, this);
        pill->setObjectName(QStringLiteral("preset-%1").arg(i));
        connect(pill, &PresetPill::clicked, this, [this, preset] { choosePreset(preset); });
        grid->addWidget(new OverhangSlot(pill, QMargins(8, 8, 8, 8), this), i / 3, i % 3);
        grid->setColumnStretch(i % 3, 1);
        m_pills << pill;
    }
    m_layout->addLayout(grid);

    m_customSlot = new QWidget(this);
    auto *customLayout = new QVBoxLayout(m_customSlot);
    customLayout->setContentsMargins(0, 0, 0, 0);
    customLayout->setSpacing(10);
    m_customSlot->hide();
    m_layout->addWidget(m_customSlot);

    m_divider = new Divider(this);
    m_divider->hide();
    m_layout->addWidget(m_divider);

    m_footerSlot = new QWidget(this);
    auto *footerLayout = new QHBoxLayout(m_footerSlot);
    footerLayout->setContentsMargins(0, 0, 0, 0);
    footerLayout->setSpacing(8);
    m_footerSlot->hide();
    m_layout->addWidget(m_footerSlot);

    // Ctrl+Q quits whenever the panel has focus, menu open or not.
    auto *quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, this, [this] {
        if (m_onQuit)
            m_onQuit();
    });

    for (auto signal : {&CorvaneTimerService::activeChanged, &CorvaneTimerService::remainingSecondsChanged,
                        &CorvaneTimerService::totalSecondsChanged, &CorvaneTimerService::modeChanged,
                        &CorvaneTimerService::assertionFailedChanged, &CorvaneTimerService::heldByChanged,
                        &CorvaneTimerService::heldChanged, &CorvaneTimerService::triggerChanged})
        connect(&m_timer, signal, this, &GlassPopoverView::refresh);
    refresh();
}

void GlassPopoverView::setCustomSection(QWidget *section)
{
    m_customSlot->layout()->addWidget(section);
    m_customSlot->show();
    m_divider->show();
}

void GlassPopoverView::setFooter(QWidget *footer)
{
    m_footerSlot->layout()->addWidget(footer);
    m_footerSlot->show();
    m_divider->show();
}

void GlassPopoverView::setHeaderControl(QWidget *control)
{
    m_headerRow->addWidget(control, 0, Qt::AlignVCenter);
}

QColor GlassPopoverView::accent() const
{
    return accentFor(m_timer.mode());
}

QColor GlassPopoverView::accentFor(AssertionMode mode)
{
    return mode == AssertionMode::systemOnly ? CorvaneStyles::cyan() : CorvaneStyles::amber();
}

QString GlassPopoverView::presetTitle(WakeDuration preset)
{
    return preset.isIndefinite() ? QStringLiteral("\u221E") : formatMinutes(preset.minuteCount());
}

QString GlassPopoverView::subtitleFor(const CorvaneTimerService &timer)
{
    const std::optional<WakeDuration> active = timer.active();
    if (!active)
        return tr("Click to keep this computer awake");
    if (active->isIndefinite())
        return tr("Until turned off");
    const std::optional<QDateTime> end = timer.endDate();
    if (!end)
        return QString();
    return endTimeText(end->toLocalTime(), QDateTime::currentDateTime(), QLocale::system());
}

QString GlassPopoverView::endTimeText(const QDateTime &end, const QDateTime &now, const QLocale &locale)
{
    const PeriodEnd at = PeriodEnd::of(end, now, locale);
    if (at.daysAhead == 0)
        return tr("Until %1").arg(at.time);
    if (at.daysAhead == 1)
        return tr("Until tomorrow %1").arg(at.time);
    //: %1 is the short weekday name, %2 the time: "Until Tue 21:40"
    return tr("Until %1 %2").arg(at.weekday, at.time);
}

void GlassPopoverView::refresh()
{
    const std::optional<WakeDuration> active = m_timer.active();
    // A period whose inhibition is gone keeps running (it is held again as soon as a
    // service answers), but nothing may read as awake meanwhile.
    const bool lost = active && !m_timer.held();
    const QColor tint = lost ? CorvaneStyles::slate() : accent();
    const bool timed = active && active->isTimed();

    m_dot->setActive(active && !lost);
    m_dot->setColor(tint);
    m_chip->setState(!active ? StatusChip::Kind::Idle
                             : (timed ? StatusChip::Kind::Timed : StatusChip::Kind::Indefinite),
                     timed ? formatClock(m_timer.remainingSeconds()) : QString(), tint);
    m_chip->setToolTip(m_timer.heldBy().isEmpty() ? QString() : tr("Kept awake by %1").arg(m_timer.heldBy()));
    m_progressTransition->setShown(timed);
    m_progress->setValue(m_timer.progress());
    m_progress->setAccent(tint);

    // The new texts first, where the old ones stood, so that the state change carries the
    // block across with the knob.
    m_switch->setTitle(lost ? tr("NOT AWAKE") : (active ? tr("AWAKE") : tr("IDLE")));
    // Without a period, what a trigger holds is said where the period's hint would be.
    const bool byTrigger = !active && m_timer.held() && !m_timer.trigger().isEmpty();
    m_switch->setSubtitle(lost            ? tr("Asking the system again \u00B7 click to stop")
                              : byTrigger ? tr("Kept awake while %1").arg(m_timer.trigger())
                                          : subtitleFor(m_timer));
    m_switch->setOn(active && !lost);
    m_switch->setProgress(!active || lost ? 0.0 : (timed ? m_timer.progress() : 1.0));
    m_switch->setAccent(tint);

    m_bannerTransition->setShown(m_timer.assertionFailed());

    for (int i = 0; i < m_pills.size(); ++i) {
        m_pills[i]->setSelected(active && *active == DurationPresets::all[i]);
        m_pills[i]->setAccent(tint);
    }
}

void GlassPopoverView::toggleWake()
{
    m_timer.toggle();
}

void GlassPopoverView::choosePreset(WakeDuration preset)
{
    if (m_timer.active() == preset)
        m_timer.stop();
    else
        m_timer.start(preset);
}

QSize GlassPopoverView::sizeHint() const
{
    return QSize(cardWidth, heightForWidth(cardWidth));
}

int GlassPopoverView::heightForWidth(int) const
{
    return m_layout->sizeHint().height();
}
