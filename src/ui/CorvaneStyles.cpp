// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CorvaneStyles.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <cmath>

namespace CorvaneStyles {

QColor amber()
{
    return QColor::fromRgbF(0.961f, 0.62f, 0.043f);
}
QColor cyan()
{
    return QColor::fromRgbF(0.235f, 0.835f, 0.945f);
}
QColor slate()
{
    return QColor::fromRgbF(0.42f, 0.44f, 0.48f);
}
QColor graphite()
{
    return QColor::fromRgbF(0.2f, 0.22f, 0.26f);
}
QColor ink()
{
    return QColor::fromRgbF(0.07f, 0.08f, 0.1f);
}

QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    const auto lerp = [t](float x, float y) { return float(x + (y - x) * t); };
    return QColor::fromRgbF(lerp(a.redF(), b.redF()), lerp(a.greenF(), b.greenF()), lerp(a.blueF(), b.blueF()),
                            lerp(a.alphaF(), b.alphaF()));
}

QLinearGradient rimGradient(const QRectF &rect)
{
    QLinearGradient g(rect.topLeft(), rect.bottomRight());
    g.setColorAt(0.0, QColor::fromRgbF(1, 1, 1, 0.35f));
    g.setColorAt(1.0, QColor::fromRgbF(1, 1, 1, 0.05f));
    return g;
}

QLinearGradient glassSheen(const QRectF &rect)
{
    QLinearGradient g(QPointF(rect.center().x(), rect.top()), rect.center());
    g.setColorAt(0.0, QColor::fromRgbF(1, 1, 1, 0.09f));
    g.setColorAt(1.0, QColor::fromRgbF(1, 1, 1, 0.0f));
    return g;
}

QFont systemFont(double size, QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(int(std::lround(size)));
    font.setWeight(weight);
    return font;
}

void paintFocusRing(QPainter &painter, const QPainterPath &shape)
{
    // Outside the shape, so it reads the same over a filled capsule and an empty one.
    QPainterPathStroker stroker;
    stroker.setWidth(5.0);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath ring = stroker.createStroke(shape).subtracted(shape);
    QPainterPathStroker inner;
    inner.setWidth(1.0);
    const QPainterPath band = ring.subtracted(inner.createStroke(shape).united(shape));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(band, withOpacity(Qt::white, 0.85));
    painter.restore();
}

} // namespace CorvaneStyles
