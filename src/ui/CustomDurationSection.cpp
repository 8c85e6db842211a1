// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CustomDurationSection.h"

#include "wake/SettingsStore.h"
#include "wake/Clock.h"
#include "ui/AnimationTimeline.h"
#include "ui/CorvaneStyles.h"
#include "ui/DurationWheelPicker.h"
#include "ui/GlassPopoverView.h"
#include "ui/Icons.h"
#include "ui/PressableButton.h"
#include "ui/TabularText.h"
#include "wake/CorvaneTimerService.h"
#include "wake/Logging.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsEffect>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double frameInterval = 1.0 / 60.0;
constexpr double rowHeight = 20.0;
constexpr double rowSpacing = 6.0;
constexpr double startHeight = 32.0;
constexpr double startRadius = 10.0;
constexpr double rimWidth = 0.75;
// Below this the editor is invisible: it leaves the layout then, not when the spring has
// come fully to rest, so the card does not wait on a motion nobody can see.
constexpr double goneOpacity = 0.01;

QPainterPath roundedRect(const QRectF &r, double radius)
{
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

// The one-line row: dial, "Custom duration", the duration, and the chevron that turns up
// while the editor is open. The whole row is the hit area.
class DisclosureRow : public QAbstractButton {
public:
    explicit DisclosureRow(QWidget *parent) : QAbstractButton(parent)
    {
        setText(CustomDurationSection::tr("Custom duration"));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(int(rowHeight));
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
    }

    void setDuration(const QString &text)
    {
        if (text == m_duration)
            return;
        m_duration = text;
        setAccessibleDescription(text);
        update();
    }
    void setChevronDegrees(double degrees)
    {
        if (std::abs(degrees - m_chevron) < 0.05)
            return;
        m_chevron = degrees;
        update();
    }

    QSize sizeHint() const override { return QSize(200, int(rowHeight)); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const double dpr = devicePixelRatioF();
        const double cy = height() / 2.0;
        double x = 0;

        const double dial = 13;
        p.drawPixmap(
            QPointF(x, cy - dial / 2.0),
            Icons::pixmap(QStringLiteral("dial.medium"), dial, CorvaneStyles::withOpacity(Qt::white, 0.6), dpr));
        x += dial + rowSpacing;

        const QFont title = CorvaneStyles::systemFont(12, QFont::Medium);
        const QFontMetricsF tm(title);
        p.setFont(title);
        p.setPen(CorvaneStyles::withOpacity(Qt::white, 0.85));
        p.drawText(QPointF(x, cy + (tm.ascent() - tm.descent()) / 2.0), text());

        const double chevron = 10;
        const double chevronX = width() - chevron;
        p.save();
        p.translate(chevronX + chevron / 2.0, cy);
        p.rotate(m_chevron);
        p.drawPixmap(
            QPointF(-chevron / 2.0, -chevron / 2.0),
            Icons::pixmap(QStringLiteral("chevron.down"), chevron, CorvaneStyles::withOpacity(Qt::white, 0.5), dpr));
        p.restore();

        const QFont digits = CorvaneStyles::systemFont(11, QFont::Normal);
        const QFontMetricsF dm(digits);
        const double w = TabularText::width(m_duration, digits);
        p.setPen(CorvaneStyles::withOpacity(Qt::white, 0.5));
        TabularText::draw(p, QPointF(chevronX - rowSpacing - w, cy + (dm.ascent() - dm.descent()) / 2.0), m_duration,
                          digits);

        if (hasFocus()) {
            p.setPen(QPen(CorvaneStyles::withOpacity(Qt::white, 0.3), 1.0));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        }
    }

private:
    QString m_duration;
    double m_chevron = 0.0;
};

// "Keep awake for …": the full-width button under the wheels.
class StartButton : public PressableButton {
public:
    StartButton(Clock &clock, QWidget *parent) : PressableButton(0.96, clock, parent)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(int(startHeight));
        setCursor(Qt::PointingHandCursor);
    }

    void setAccent(const QColor &accent)
    {
        if (accent == m_accent)
            return;
        m_accent = accent;
        update();
    }

    double drawnOpacity() const { return isEnabled() ? 1.0 : CustomDurationSection::disabledOpacity; }

    QSize sizeHint() const override { return QSize(200, int(startHeight)); }

protected:
    QPainterPath hitShape() const override { return roundedRect(QRectF(contentsRect()), startRadius); }

    void paintLabel(QPainter &p, double) override
    {
        const QRectF r = QRectF(contentsRect());
        p.setOpacity(drawnOpacity());
        p.fillPath(roundedRect(r, startRadius), CorvaneStyles::withOpacity(m_accent, 0.28));
        const double h = rimWidth / 2.0;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(CorvaneStyles::rimGradient(r)), rimWidth));
        p.drawPath(roundedRect(r.adjusted(h, h, -h, -h), startRadius - h));

        const QFont f = CorvaneStyles::systemFont(12, QFont::Medium);
        const QFontMetricsF fm(f);
        const QString label = TabularText::elided(text(), f, r.width() - 16.0);
        const double w = TabularText::width(label, f);
        p.setPen(Qt::white);
        TabularText::draw(p, QPointF(r.center().x() - w / 2.0, r.center().y() + (fm.ascent() - fm.descent()) / 2.0),
                          label, f);
    }

    void changeEvent(QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            update();
        PressableButton::changeEvent(event);
    }

private:
    QColor m_accent = CorvaneStyles::amber();
};

} // namespace

// Draws the editor scaled about the middle of its top edge and faded, so it seems to grow
// down from under the row. At rest (scale and opacity 1) it is switched off and the editor
// paints directly.
class CustomDurationSection::RevealEffect : public QGraphicsEffect {
public:
    using QGraphicsEffect::QGraphicsEffect;

    void set(double scale, double opacity)
    {
        if (scale == m_scale && opacity == m_opacity)
            return;
        m_scale = scale;
        m_opacity = opacity;
        update();
    }

protected:
    void draw(QPainter *painter) override
    {
        if (m_opacity <= 0.0)
            return;
        QPoint offset;
        const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
        if (pixmap.isNull())
            return;
        const QRectF bounds = boundingRect();
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->setOpacity(painter->opacity() * m_opacity);
        painter->translate(bounds.center().x(), bounds.top());
        painter->scale(m_scale, m_scale);
        painter->translate(-bounds.center().x(), -bounds.top());
        painter->drawPixmap(offset, pixmap);
        painter->restore();
    }

private:
    double m_scale = 1.0;
    double m_opacity = 1.0;
};

CustomDurationSection::CustomDurationSection(CorvaneTimerService &timer, SettingsStore &settings, Clock &clock,
                                             QWidget *parent)
    : QWidget(parent),
      m_timer(timer),
      m_settings(settings),
      m_clock(&clock),
      m_hours(settings.integer(hoursKey).value_or(defaultHours)),
      m_minutes(settings.integer(minutesKey).value_or(defaultMinutes))
{
    for (const QString &key : {hoursKey, minutesKey}) {
        if (settings.contains(key) && !settings.integer(key))
            qCWarning(lcSettings).noquote()
                << "Ignoring the stored" << key << "(not a whole number); using the default";
    }
    if (customTotal() < 0 || customTotal() > maxMinutes)
        qCWarning(lcSettings) << "The stored custom duration" << customTotal() << "min is out of range; using"
                              << effectiveMinutes() << "min";
    setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto *row = new DisclosureRow(this);
    row->setObjectName(QStringLiteral("custom-disclosure"));
    m_row = row;
    connect(m_row, &QAbstractButton::clicked, this, [this] { setShowCustom(!m_showCustom); });
    layout->addWidget(m_row);

    m_editor = new QWidget(this);
    auto *editor = new QVBoxLayout(m_editor);
    editor->setContentsMargins(0, 0, 0, 0);
    editor->setSpacing(10);
    m_picker = new DurationWheelPicker(clock, m_editor);
    editor->addWidget(m_picker);
    m_start = new StartButton(clock, m_editor);
    editor->addWidget(m_start);
    m_reveal = new RevealEffect(m_editor);
    m_reveal->set(hiddenScale, 0.0);
    m_editor->setGraphicsEffect(m_reveal);
    m_editor->hide();
    layout->addWidget(m_editor);

    m_animation = new AnimationTimeline(this, clock, frameInterval, [this] { onFrame(); });

    // The wheels open on the stored values, clamped only for their own display: a value
    // they cannot show is not written back.
    m_pushingToPicker = true;
    const auto toInt = [](qint64 v) {
        return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    m_picker->setValue(toInt(m_hours), toInt(m_minutes));
    m_pushingToPicker = false;
    connect(m_picker, &DurationWheelPicker::valueChanged, this, &CustomDurationSection::pickerChanged);
    connect(m_start, &QAbstractButton::clicked, this, &CustomDurationSection::startCustom);
    connect(&m_timer, &CorvaneTimerService::modeChanged, this, &CustomDurationSection::applyAccent);

    applyAccent();
    refreshLabels();
}

CustomDurationSection::~CustomDurationSection() = default;

qint64 CustomDurationSection::customTotal() const
{
    // Garbage in the settings file must not overflow the arithmetic.
    constexpr qint64 bound = qint64(1) << 40;
    return std::clamp(m_hours, -bound, bound) * 60 + std::clamp(m_minutes, -bound, bound);
}

qint64 CustomDurationSection::effectiveMinutes() const
{
    return std::clamp<qint64>(customTotal(), 0, maxMinutes);
}

QString CustomDurationSection::durationText() const
{
    return formatMinutes(effectiveMinutes());
}

double CustomDurationSection::startOpacity() const
{
    return static_cast<StartButton *>(m_start)->drawnOpacity();
}

void CustomDurationSection::setShowCustom(bool show)
{
    if (show == m_showCustom)
        return;
    m_showCustom = show;
    const double now = m_clock->frameTime();
    m_chevron.animateTo(show ? 1.0 : 0.0, CorvaneStyles::spring(), now);
    m_presence.animateTo(show ? 1.0 : 0.0, CorvaneStyles::spring(), now);
    // Leaving, it stays in place while it fades, but no longer takes clicks.
    m_editor->setAttribute(Qt::WA_TransparentForMouseEvents, !show);
    if (show) {
        m_reveal->setEnabled(true);
        m_editor->show();
    }
    m_animation->setActive(true);
    onFrame();
    Q_EMIT showCustomChanged(show);
}

double CustomDurationSection::chevronDegrees() const
{
    return 180.0 * m_chevron.value(m_clock->frameTime());
}

double CustomDurationSection::editorScale() const
{
    return hiddenScale + (1.0 - hiddenScale) * m_presence.value(m_clock->frameTime());
}

double CustomDurationSection::editorOpacity() const
{
    return std::clamp(m_presence.value(m_clock->frameTime()), 0.0, 1.0);
}

bool CustomDurationSection::isEditorShown() const
{
    return !m_editor->isHidden();
}

bool CustomDurationSection::isEditorInteractive() const
{
    return isEditorShown() && !m_editor->testAttribute(Qt::WA_TransparentForMouseEvents);
}

void CustomDurationSection::onFrame()
{
    const double now = m_clock->frameTime();
    static_cast<DisclosureRow *>(m_row)->setChevronDegrees(chevronDegrees());
    const double opacity = editorOpacity();
    m_reveal->set(editorScale(), opacity);

    const bool moving = m_chevron.isAnimating(now) || m_presence.isAnimating(now);
    if (!m_showCustom && !m_editor->isHidden() && (opacity <= goneOpacity || !moving))
        m_editor->hide();
    if (m_showCustom && !m_presence.isAnimating(now))
        m_reveal->setEnabled(false);
    if (!moving)
        m_animation->setActive(false);
}

void CustomDurationSection::pickerChanged(int hours, int minutes)
{
    if (m_pushingToPicker)
        return;
    if (hours != m_hours) {
        m_hours = hours;
        m_settings.setInteger(hoursKey, hours);
    }
    if (minutes != m_minutes) {
        m_minutes = minutes;
        m_settings.setInteger(minutesKey, minutes);
    }
    refreshLabels();
}

void CustomDurationSection::startCustom()
{
    const qint64 minutes = effectiveMinutes();
    if (minutes <= 0)
        return;
    m_timer.start(WakeDuration::minutes(minutes));
}

void CustomDurationSection::refreshLabels()
{
    const QString duration = durationText();
    static_cast<DisclosureRow *>(m_row)->setDuration(duration);
    m_start->setText(tr("Keep awake for %1").arg(duration));
    m_start->setEnabled(effectiveMinutes() > 0);
}

void CustomDurationSection::applyAccent()
{
    const QColor accent = GlassPopoverView::accentFor(m_timer.mode());
    m_picker->setAccent(accent);
    static_cast<StartButton *>(m_start)->setAccent(accent);
}
