// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPixmap>

class QPainter;

// Soft shadows and glows: the blurred silhouette of a shape, computed once per shape, colour,
// radius and pixel ratio and then only drawn. Pulsing glows change radius every frame, so the
// radius is rounded to quarter points to keep the set of images small.
class SoftShadow {
public:
    // Draws the blurred silhouette of `shape` (logical coordinates of the painter) in
    // `color`, moved by `offset`. A radius of 0 draws the silhouette sharp.
    static void paint(QPainter &painter, const QPainterPath &shape, const QColor &color, double radius,
                      QPointF offset = {});

    // The same for an image's coverage (a symbol's glow). `key` names the image; the
    // image's own pixel ratio is kept.
    static void paintImage(QPainter &painter, const QString &key, const QImage &source, QPointF topLeft,
                           const QColor &color, double radius);

    // How far the glow reaches beyond the shape, in logical points.
    static double reach(double radius);

    // Three box passes approximating a Gaussian of standard deviation `sigma` pixels, in place
    // on an 8-bit alpha image.
    static void blurAlpha(QImage &alpha, double sigma);
};
