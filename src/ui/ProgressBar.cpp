// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgressBar.h"

#include "ui/CorvaneStyles.h"
#include "ui/SoftShadow.h"
#include "ui/ViewAccessibility.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double animationInterval = 1.0 / 60.0;
constexpr LinearCurve glide{1.0};

QPainterPath capsulePath(const QRectF &r)
{
    QPainterPath p;
    const double radius = std::min(r.width(), r.height()) / 2.0;
    p.addRoundedRect(r, radius, radius);
    return p;
}

} // namespace

double ProgressBar::fillWidth(double value, double width)
{
    const double w = value * width;
    // Written so that NaN fails the comparison and falls to the stub.
    return w > minimumFill ? w : minimumFill;
}

ProgressBar::ProgressBar(Clock &clock, QWidget *parent)
    : QWidget(parent),
      m_clock(&clock),
      m_animation(new AnimationTimeline(this, clock, animationInterval, [this] { onFrame(); })),
      m_accent(CorvaneStyles::amber())
{
    ViewAccessibility::install();
    const int m = int(std::ceil(glowRadius));
    setContentsMargins(m, m, m, m);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(int(barHeight) + 2 * m);
}

QSize ProgressBar::sizeHint() const
{
    const QMargins m = contentsMargins();
    return QSize(268 + m.left() + m.right(), int(barHeight) + m.top() + m.bottom());
}

QSize ProgressBar::minimumSizeHint() const
{
    const QMargins m = contentsMargins();
    return QSize(m.left() + m.right(), int(barHeight) + m.top() + m.bottom());
}

QRectF ProgressBar::trackRect() const
{
    const QRectF c = QRectF(contentsRect());
    return QRectF(c.left(), c.center().y() - barHeight / 2.0, c.width(), barHeight);
}

double ProgressBar::displayedFillWidth() const
{
    return fillWidth(m_shown.value(m_clock->frameTime()), trackRect().width());
}

void ProgressBar::setValue(double value)
{
    if (value == m_value || (std::isnan(value) && std::isnan(m_value)))
        return;
    m_value = value;
    const double now = m_clock->frameTime();
    const double shown = m_shown.value(now);
    const double width = trackRect().width();
    // Nothing to glide from or to, or a step too small to see (a long period): taken at
    // once, without a second of frames.
    const bool jump = std::isnan(value) || std::isnan(shown)
        || (!m_shown.isAnimating(now) && std::abs(fillWidth(value, width) - fillWidth(shown, width)) < 0.125);
    if (jump) {
        m_shown.jumpTo(value);
    } else {
        m_shown.animateTo(value, glide, now);
        m_animation->setActive(true);
    }
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent e(this, value);
        QAccessible::updateAccessibility(&e);
    }
    Q_EMIT valueChanged(value);
}

void ProgressBar::setAccent(const QColor &accent)
{
    if (accent == m_accent)
        return;
    m_accent = accent;
    update();
    Q_EMIT accentChanged(accent);
}

void ProgressBar::onFrame()
{
    // A long countdown moves the edge a fraction of a pixel per second: repaint only when it
    // has moved by a visible amount.
    const double w = displayedFillWidth();
    if (std::abs(w - m_lastPainted) >= 0.125)
        update();
    if (!m_shown.isAnimating(m_clock->frameTime())) {
        m_animation->setActive(false);
        update();
    }
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = trackRect();
    p.fillPath(capsulePath(track), QColor::fromRgbF(1, 1, 1, 0.08f));

    const qreal dpr = devicePixelRatioF();
    // The glow is blurred for whole device pixels of width only, so a gliding edge reuses
    // images instead of blurring anew for every sub-pixel step.
    const double w = displayedFillWidth();
    m_lastPainted = w;
    const QRectF fill(track.left(), track.top(), w, track.height());
    const double glowWidth = std::max(minimumFill, std::round(w * dpr) / dpr);
    SoftShadow::paint(p, capsulePath(QRectF(track.left(), track.top(), glowWidth, track.height())),
                      CorvaneStyles::withOpacity(m_accent, 0.7), glowRadius);
    QLinearGradient g(fill.topLeft(), fill.topRight());
    g.setColorAt(0.0, CorvaneStyles::withOpacity(m_accent, 0.6));
    g.setColorAt(1.0, m_accent);
    p.fillPath(capsulePath(fill), g);
}
