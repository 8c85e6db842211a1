// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WheelColumn.h"

#include "ui/CorvaneStyles.h"

#include "ui/WheelColumnAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// How far ahead a flick is projected when choosing the row it comes to rest on.
constexpr double flickProjection = 0.3;
// Slower than this, a lifted finger leaves the wheel to settle on the nearest row.
constexpr double slowestFlick = 100.0;
// Movement below this is a tap, not a drag.
constexpr double dragThreshold = 4.0;
// Velocity is measured over the last stretch of input only.
constexpr double velocityWindow = 0.1;
// A finger that stood still this long before lifting throws nothing.
constexpr double pauseBeforeRelease = 0.06;
// Touchpads that send no end phase are taken to have stopped after this quiet time.
constexpr double touchpadQuiet = 0.12;
constexpr int notch = 120;

QColor white(double opacity)
{
    QColor c(Qt::white);
    c.setAlphaF(static_cast<float>(opacity));
    return c;
}

// Pulls an offset that goes past either end back with growing resistance, as a finger on
// a rubber band would feel it.
double rubberBand(double raw, double lower, double upper, double dimension)
{
    auto resist = [dimension](double beyond) {
        constexpr double c = 0.55;
        return (1.0 - 1.0 / (beyond * c / dimension + 1.0)) * dimension;
    };
    if (raw < lower)
        return lower - resist(lower - raw);
    if (raw > upper)
        return upper + resist(raw - upper);
    return raw;
}

} // namespace

WheelColumn::WheelColumn(QList<int> values, int selection, const QString &unit, const QColor &accent, double rowHeight,
                         int visibleRows, Clock &clock, QWidget *parent)
    : QWidget(parent),
      m_values(std::move(values)),
      m_selection(selection),
      m_unit(unit),
      m_accent(accent),
      m_rowHeight(rowHeight > 0 ? rowHeight : 26.0),
      m_visibleRows(std::max(1, visibleRows)),
      m_clock(&clock)
{
    WheelColumnAccessible::registerFactory();
    std::sort(m_values.begin(), m_values.end());
    m_offset = indexFor(m_selection) * m_rowHeight;
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

WheelColumn::~WheelColumn()
{
    holdFrames(false);
}

QSize WheelColumn::sizeHint() const
{
    return {96, static_cast<int>(std::lround(m_rowHeight * m_visibleRows))};
}

QSize WheelColumn::minimumSizeHint() const
{
    return {56, static_cast<int>(std::lround(m_rowHeight * m_visibleRows))};
}

void WheelColumn::setAccent(const QColor &accent)
{
    if (accent == m_accent)
        return;
    m_accent = accent;
    update();
}

QString WheelColumn::accessibleLabel() const
{
    return accessibleName().isEmpty() ? m_unit : accessibleName();
}

double WheelColumn::maxOffset() const
{
    return std::max(0, rowCount() - 1) * m_rowHeight;
}

int WheelColumn::indexFor(int value) const
{
    if (m_values.isEmpty())
        return 0;
    const auto it = std::lower_bound(m_values.begin(), m_values.end(), value);
    if (it == m_values.end())
        return rowCount() - 1;
    const int index = static_cast<int>(it - m_values.begin());
    if (*it != value && index > 0 && value - m_values[index - 1] < *it - value)
        return index - 1;
    return index;
}

int WheelColumn::centredIndex() const
{
    if (m_values.isEmpty())
        return 0;
    return std::clamp(static_cast<int>(std::lround(m_offset / m_rowHeight)), 0, rowCount() - 1);
}

int WheelColumn::restingIndex() const
{
    if (m_motion)
        return std::clamp(static_cast<int>(std::lround(m_motion->target() / m_rowHeight)), 0,
                          std::max(0, rowCount() - 1));
    return centredIndex();
}

double WheelColumn::now() const
{
    return m_clock->frameTime();
}

void WheelColumn::setSelection(int value)
{
    if (value == m_selection)
        return;
    m_selection = value;
    Q_EMIT selectionChanged(value);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, value);
        QAccessible::updateAccessibility(&event);
    }
    update();
    // The wheel follows a value set from outside; it never writes it back.
    if (!m_scrolled || *m_scrolled != value) {
        m_scrolled = value;
        if (!m_values.isEmpty()) {
            m_dragging = m_pressed = m_touchpadActive = false;
            turnTo(indexFor(value), true);
        }
    }
}

void WheelColumn::setScrolled(int value)
{
    if (m_scrolled == value)
        return;
    m_scrolled = value;
    if (value == m_selection)
        return;
    m_selection = value;
    update();
    Q_EMIT selectionChanged(value);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, value);
        QAccessible::updateAccessibility(&event);
    }
    Q_EMIT ticked();
}

void WheelColumn::increment()
{
    if (!m_values.isEmpty() && m_selection < m_values.last())
        setSelection(m_selection + 1);
}

void WheelColumn::decrement()
{
    if (!m_values.isEmpty() && m_selection > m_values.first())
        setSelection(m_selection - 1);
}

void WheelColumn::turnTo(int index, bool animated)
{
    const double target = index * m_rowHeight;
    m_drive = Drive::directed;
    if (!animated || !m_shown || !isVisible()) {
        stopMotion();
        m_offset = target;
        update();
        return;
    }
    const double velocity = m_motion ? m_motion->velocity(now() - m_motionStart) : 0.0;
    m_motion = WheelMotion::spring(m_offset, velocity, target, CorvaneStyles::spring().response,
                                   CorvaneStyles::spring().dampingFraction);
    m_motionStart = now();
    holdFrames(true);
}

void WheelColumn::step(int rows)
{
    if (m_values.isEmpty() || rows == 0)
        return;
    const int from = restingIndex();
    const int to = std::clamp(from + rows, 0, rowCount() - 1);
    if (to == from && !m_motion && std::abs(m_offset - to * m_rowHeight) < 0.5)
        return;
    turnTo(to, true);
    setScrolled(m_values[to]);
}

void WheelColumn::stopMotion()
{
    m_motion.reset();
    m_drive = Drive::none;
    if (!m_touchpadActive)
        holdFrames(false);
}

void WheelColumn::holdFrames(bool hold)
{
    if (hold == bool(m_frames))
        return;
    if (hold)
        m_frames = m_clock->frames(1.0 / 60.0, [this] { onFrame(); });
    else
        m_frames.reset();
}

void WheelColumn::beginFree()
{
    // A wheel caught while turning to a value stays where it was caught: that row is the
    // value now. A wheel caught at rest keeps its value until a row passes the band.
    const bool caughtTurning = m_motion.has_value();
    m_motion.reset();
    m_drive = Drive::free;
    m_rawOffset = m_offset;
    m_trackedIndex = caughtTurning ? -1 : centredIndex();
    trackCentre();
    m_samples.clear();
    m_samples.push_back({now(), m_offset});
}

void WheelColumn::moveFree(double rawOffset)
{
    m_rawOffset = rawOffset;
    m_offset = rubberBand(rawOffset, 0.0, maxOffset(), height() > 0 ? height() : m_rowHeight * m_visibleRows);
    const double t = now();
    m_samples.push_back({t, m_rawOffset});
    while (m_samples.size() > 2 && t - m_samples.front().time > velocityWindow)
        m_samples.erase(m_samples.begin());
    trackCentre();
    update();
}

double WheelColumn::velocityAt(double time) const
{
    if (m_samples.size() < 2 || time - m_samples.back().time > pauseBeforeRelease)
        return 0.0;
    const Sample &first = m_samples.front();
    const Sample &last = m_samples.back();
    const double span = last.time - first.time;
    return span > 1e-4 ? (last.offset - first.offset) / span : 0.0;
}

void WheelColumn::release(double velocity)
{
    if (m_values.isEmpty()) {
        stopMotion();
        return;
    }
    // Past either end the wheel only springs back.
    if (m_offset < 0 || m_offset > maxOffset() || std::abs(velocity) < slowestFlick)
        velocity = 0;
    const double projected = m_offset + velocity * flickProjection;
    const int index = std::clamp(static_cast<int>(std::lround(projected / m_rowHeight)), 0, rowCount() - 1);
    m_drive = Drive::free;
    m_motion = WheelMotion::glide(m_offset, velocity, index * m_rowHeight);
    m_motionStart = now();
    holdFrames(true);
}

void WheelColumn::trackCentre()
{
    if (m_drive != Drive::free || m_values.isEmpty())
        return;
    const int index = centredIndex();
    if (index == m_trackedIndex)
        return;
    m_trackedIndex = index;
    setScrolled(m_values[index]);
}

void WheelColumn::onFrame()
{
    const double t = now();
    if (m_touchpadActive && t - m_lastTouchpadTime >= touchpadQuiet) {
        m_touchpadActive = false;
        release(velocityAt(m_lastTouchpadTime));
    }
    if (m_motion) {
        const double elapsed = t - m_motionStart;
        if (m_motion->finished(elapsed)) {
            m_offset = m_motion->target();
            m_motion.reset();
        } else {
            m_offset = m_motion->position(elapsed);
        }
        trackCentre();
        update();
    }
    if (!m_motion && !m_touchpadActive) {
        if (!m_dragging)
            m_drive = Drive::none;
        holdFrames(false);
    }
}

void WheelColumn::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    // The wheel opens on the current value, without animation.
    m_shown = true;
    m_scrolled = m_selection;
    stopMotion();
    m_offset = indexFor(m_selection) * m_rowHeight;
}

void WheelColumn::hideEvent(QHideEvent *event)
{
    // Nothing moves unseen: jump to where the wheel was heading and stop the frames.
    if (m_motion) {
        m_offset = m_motion->target();
        m_motion.reset();
        trackCentre();
    }
    m_pressed = m_dragging = m_touchpadActive = false;
    m_drive = Drive::none;
    holdFrames(false);
    QWidget::hideEvent(event);
}

void WheelColumn::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragging = false;
    // A press on a moving wheel holds it where it is, as a finger on a drum would.
    m_caught = m_motion.has_value() || m_touchpadActive;
    m_touchpadActive = false;
    if (m_caught)
        beginFree();
    m_pressY = event->position().y();
    m_rawOffset = m_offset;
    event->accept();
}

void WheelColumn::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const double y = event->position().y();
    if (!m_dragging) {
        if (std::abs(y - m_pressY) < dragThreshold)
            return;
        m_dragging = true;
        if (!m_caught)
            beginFree();
    }
    // The content follows the finger from where it was pressed, threshold included.
    moveFree(m_rawOffset - (y - m_pressY));
    m_pressY = y;
}

void WheelColumn::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        release(velocityAt(now()));
        return;
    }
    if (m_caught) {
        m_caught = false;
        release(0.0);
        return;
    }
    if (m_values.isEmpty())
        return;
    // A tap brings the row under it to the band.
    const double y = event->position().y() - height() / 2.0;
    const int index = static_cast<int>(std::lround((m_offset + y) / m_rowHeight));
    if (index < 0 || index >= rowCount())
        return;
    if (m_scrolled == m_values[index] && std::abs(m_offset - index * m_rowHeight) < 0.5)
        return;
    turnTo(index, true);
    setScrolled(m_values[index]);
}

void WheelColumn::wheelEvent(QWheelEvent *event)
{
    event->accept();
    if (m_values.isEmpty() || m_pressed)
        return;
    const QPoint pixels = event->pixelDelta();
    if (!pixels.isNull() || event->phase() == Qt::ScrollBegin || event->phase() == Qt::ScrollEnd) {
        // Touchpad: the content follows the fingers and glides on when they lift.
        if (event->phase() == Qt::ScrollEnd) {
            if (m_touchpadActive) {
                m_touchpadActive = false;
                release(velocityAt(m_lastTouchpadTime));
            }
            return;
        }
        if (!m_touchpadActive) {
            m_touchpadActive = true;
            beginFree();
            holdFrames(true);
        }
        m_lastTouchpadTime = now();
        if (!pixels.isNull())
            moveFree(m_rawOffset - pixels.y());
        return;
    }
    // Mouse wheel: one row per notch, finer wheels add up to a notch.
    m_angleRemainder += event->angleDelta().y();
    const int rows = -m_angleRemainder / notch;
    m_angleRemainder %= notch;
    if (rows != 0)
        step(rows);
}

void WheelColumn::keyPressEvent(QKeyEvent *event)
{
    if (m_values.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up: step(-1); break;
    case Qt::Key_Down: step(1); break;
    case Qt::Key_PageUp: step(-m_visibleRows); break;
    case Qt::Key_PageDown: step(m_visibleRows); break;
    case Qt::Key_Home: step(-rowCount()); break;
    case Qt::Key_End: step(rowCount()); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void WheelColumn::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const QRectF area(rect());
    const QRectF band(0, (area.height() - m_rowHeight) / 2.0, area.width(), m_rowHeight);

    // Selection band, then its rim drawn inside the edge.
    constexpr double radius = 8.0;
    constexpr double rim = 0.75;
    QColor fill = m_accent;
    fill.setAlphaF(0.14f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(band, radius, radius);
    QLinearGradient rimGradient(band.topLeft(), band.bottomRight());
    rimGradient.setColorAt(0.0, white(0.35));
    rimGradient.setColorAt(1.0, white(0.05));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(rimGradient), rim));
    const QRectF inner = band.adjusted(rim / 2, rim / 2, -rim / 2, -rim / 2);
    painter.drawRoundedRect(inner, radius - rim / 2, radius - rim / 2);
    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(band.adjusted(2.5, 0, -2.5, 0), radius, radius);
        CorvaneStyles::paintFocusRing(painter, ring);
    }

    // Rows go into a layer first so the fade mask touches them and not the band.
    // The device painted on decides the resolution: a screen, or an image when grabbed.
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QSize layerSize = (area.size() * dpr).toSize();
    if (m_layer.size() != layerSize || m_layer.devicePixelRatio() != dpr) {
        m_layer = QImage(layerSize, QImage::Format_ARGB32_Premultiplied);
        m_layer.setDevicePixelRatio(dpr);
    }
    m_layer.fill(Qt::transparent);
    {
        QPainter layer(&m_layer);
        layer.setRenderHints(painter.renderHints());
        paintRows(layer, area);
        QLinearGradient mask(0, 0, 0, area.height());
        mask.setColorAt(0.0, Qt::transparent);
        mask.setColorAt(0.3, Qt::black);
        mask.setColorAt(0.7, Qt::black);
        mask.setColorAt(1.0, Qt::transparent);
        layer.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        layer.fillRect(area, mask);
    }
    painter.drawImage(area.topLeft(), m_layer);

    // Unit label at the trailing end of the band.
    painter.setFont(CorvaneStyles::systemFont(10, QFont::Medium));
    painter.setPen(white(0.5));
    painter.drawText(band.adjusted(0, 0, -10, 0), Qt::AlignRight | Qt::AlignVCenter, m_unit);
}

void WheelColumn::paintRows(QPainter &painter, const QRectF &area)
{
    if (m_values.isEmpty())
        return;
    const double h = m_rowHeight;
    const double midY = area.height() / 2.0;
    const double width = area.width();
    // A row's phase runs from 0 in the centre to ±1 once it has left the visible window.
    const double phaseReach = midY + h / 2.0;
    const int first = std::max(0, static_cast<int>(std::floor((m_offset - phaseReach) / h)));
    const int last = std::min(rowCount() - 1, static_cast<int>(std::ceil((m_offset + phaseReach) / h)));

    const QFont font = CorvaneStyles::systemFont(17, QFont::Medium);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    // Tabular digits: every digit gets the advance of the widest one.
    double cell = 0;
    for (char c = '0'; c <= '9'; ++c)
        cell = std::max(cell, metrics.horizontalAdvance(QLatin1Char(c)));
    // Depth of the perspective, in the row's own units.
    const double depth = std::max(width, h);

    for (int i = first; i <= last; ++i) {
        const double centreY = midY + i * h - m_offset;
        const double phase = std::clamp((centreY - midY) / phaseReach, -1.0, 1.0);
        if (std::abs(phase) >= 1.0)
            continue;
        const double magnitude = std::abs(phase);
        const double angle = -35.0 * phase * std::numbers::pi / 180.0;
        const double scale = 1.0 - 0.2 * magnitude;
        // Rotation about the horizontal axis through the row's centre, seen in perspective:
        // the edge turned away from the viewer comes out shorter.
        const QTransform tilt(1, 0, 0, 0, std::cos(angle), -std::sin(angle) / depth, 0, 0, 1);
        const QTransform transform =
            QTransform::fromScale(scale, scale) * tilt * QTransform::fromTranslate(width / 2.0, centreY);

        painter.save();
        painter.setTransform(transform, false);
        painter.setOpacity(1.0 - 0.6 * magnitude);
        const int value = m_values[i];
        painter.setPen(value == m_selection ? white(1.0) : white(0.7));
        const QString text = QString::asprintf("%02d", value);
        double x = -cell * text.size() / 2.0;
        for (const QChar c : text) {
            painter.drawText(QRectF(x, -h / 2.0, cell, h), Qt::AlignCenter, QString(c));
            x += cell;
        }
        painter.restore();
    }
}
