// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QRectF>

class QPainter;
class QPainterPath;

// The program's shared palette, gradients and spring. Colours are sRGB.
namespace CorvaneStyles {

// Accent while the display may not sleep; also the failure banner, whatever the mode.
QColor amber();
// Accent while only the system is kept awake.
QColor cyan();
// The pulse dot at rest.
QColor slate();
// The wake switch's power symbol while off.
QColor graphite();
// Tint layer of the glass card.
QColor ink();

QColor withOpacity(QColor color, double opacity);
// Component-wise blend, t = 0 gives a, 1 gives b.
QColor mix(const QColor &a, const QColor &b, double t);

// White 0.35 to white 0.05, top-leading to bottom-trailing corner of `rect`.
QLinearGradient rimGradient(const QRectF &rect);
// White 0.09 to white 0, from the top edge down to the centre of `rect`.
QLinearGradient glassSheen(const QRectF &rect);

// The interface's font at `size` points, one point being one logical pixel, so every
// control measures its text the same way on any screen density setting.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal);
// The keyboard focus ring: a light line just outside `shape` (logical coordinates).
void paintFocusRing(QPainter &painter, const QPainterPath &shape);

// Response 0.35 s, damping fraction 0.7.
constexpr SpringCurve spring()
{
    return SpringCurve::shared();
}

} // namespace CorvaneStyles
