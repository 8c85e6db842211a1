// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SoftShadow.h"

#include <QCache>
#include <QPainter>
#include <QPaintDevice>
#include <QtMath>
#include <array>
#include <cmath>
#include <vector>

namespace {

// Shadow radii name a blur width; the Gaussian behind them has half that deviation.
double sigmaFor(double radius)
{
    return radius / 2.0;
}

QCache<QString, QPixmap> &cache()
{
    // Cost in kilobytes: every glow of the panel at 2x, each breath's few radii included.
    static QCache<QString, QPixmap> c(16 * 1024);
    return c;
}

QString keyFor(const QPainterPath &shape, const QColor &color, double radius, qreal dpr)
{
    QString key;
    key.reserve(64 + shape.elementCount() * 16);
    key += QString::number(color.rgba64(), 16) + QLatin1Char('/') + QString::number(radius) + QLatin1Char('/')
        + QString::number(dpr) + QLatin1Char('/');
    // The shape's position is irrelevant: the image is drawn at its bounding box.
    const QPointF origin = shape.boundingRect().topLeft();
    for (int i = 0; i < shape.elementCount(); ++i) {
        const auto e = shape.elementAt(i);
        key += QString::number(e.x - origin.x(), 'f', 2) + QLatin1Char(',') + QString::number(e.y - origin.y(), 'f', 2)
            + QLatin1Char(';');
    }
    return key;
}

std::array<int, 3> boxSizes(double sigma)
{
    // Box widths whose three passes have the variance of the Gaussian (W. Jarosz).
    const double ideal = std::sqrt(12.0 * sigma * sigma / 3.0 + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m = (12.0 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9.0) / (-4.0 * lower - 4.0);
    const int smaller = int(std::round(m));
    std::array<int, 3> sizes{};
    for (int i = 0; i < 3; ++i)
        sizes[i] = i < smaller ? lower : upper;
    return sizes;
}

// Reads `count` samples `stride` bytes apart, writes them packed into `dst`.
void boxPass(const uchar *src, uchar *dst, int count, int stride, int r)
{
    // Running sum over a window of 2r+1 with zero outside the image.
    const int width = 2 * r + 1;
    int sum = 0;
    for (int i = 0; i <= r && i < count; ++i)
        sum += src[i * stride];
    for (int i = 0; i < count; ++i) {
        dst[i] = uchar((sum + width / 2) / width);
        const int add = i + r + 1;
        const int drop = i - r;
        if (add < count)
            sum += src[add * stride];
        if (drop >= 0)
            sum -= src[drop * stride];
    }
}

} // namespace

void SoftShadow::blurAlpha(QImage &alpha, double sigma)
{
    if (sigma <= 0.0 || alpha.isNull())
        return;
    const int w = alpha.width();
    const int h = alpha.height();
    std::vector<uchar> line(size_t(std::max(w, h)));
    for (int box : boxSizes(sigma)) {
        const int r = (box - 1) / 2;
        if (r <= 0)
            continue;
        for (int y = 0; y < h; ++y) {
            uchar *row = alpha.scanLine(y);
            boxPass(row, line.data(), w, 1, r);
            std::copy(line.begin(), line.begin() + w, row);
        }
        const int bpl = int(alpha.bytesPerLine());
        for (int x = 0; x < w; ++x) {
            uchar *col = alpha.bits() + x;
            boxPass(col, line.data(), h, bpl, r);
            for (int y = 0; y < h; ++y)
                col[y * bpl] = line[size_t(y)];
        }
    }
}

namespace {
// Blurs the coverage mask and fills it with `opaque`: the glow image both drawing paths cache.
QPixmap tintedBlur(QImage &alpha, double sigma, const QColor &opaque, qreal dpr)
{
    SoftShadow::blurAlpha(alpha, sigma);
    QImage tinted(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    tinted.fill(opaque);
    {
        QPainter p(&tinted);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, alpha);
    }
    tinted.setDevicePixelRatio(dpr);
    return QPixmap::fromImage(std::move(tinted));
}
} // namespace

double SoftShadow::reach(double radius)
{
    return std::ceil(3.0 * sigmaFor(radius)) + 1.0;
}

void SoftShadow::paint(QPainter &painter, const QPainterPath &shape, const QColor &color, double radius, QPointF offset)
{
    if (color.alpha() == 0 || shape.isEmpty())
        return;
    radius = std::round(std::max(0.0, radius) * 4.0) / 4.0;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QRectF bounds = shape.boundingRect();
    const double margin = reach(radius);
    // The image is made at full opacity and faded while drawing, so a glow whose opacity
    // changes every frame still reuses one image.
    QColor opaque = color;
    opaque.setAlpha(255);
    const QString key = keyFor(shape, opaque, radius, dpr);

    QPixmap pixmap;
    if (QPixmap *cached = cache().object(key)) {
        pixmap = *cached;
    } else {
        const QRectF area = bounds.adjusted(-margin, -margin, margin, margin);
        const QSize size(int(std::ceil(area.width() * dpr)), int(std::ceil(area.height() * dpr)));
        QImage alpha(size, QImage::Format_Alpha8);
        alpha.fill(0);
        {
            QPainter p(&alpha);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(dpr, dpr);
            p.translate(-area.topLeft());
            p.fillPath(shape, Qt::black);
        }
        pixmap = tintedBlur(alpha, sigmaFor(radius) * dpr, opaque, dpr);
        const int cost = std::max(1, int(size.width() * size.height() * 4 / 1024));
        cache().insert(key, new QPixmap(pixmap), cost);
    }
    const qreal before = painter.opacity();
    painter.setOpacity(before * color.alphaF());
    painter.drawPixmap(bounds.topLeft() - QPointF(margin, margin) + offset, pixmap);
    painter.setOpacity(before);
}

void SoftShadow::paintImage(QPainter &painter, const QString &key, const QImage &source, QPointF topLeft,
                            const QColor &color, double radius)
{
    if (color.alpha() == 0 || source.isNull())
        return;
    radius = std::round(std::max(0.0, radius) * 4.0) / 4.0;
    const qreal dpr = source.devicePixelRatio();
    const double margin = reach(radius);
    QColor opaque = color;
    opaque.setAlpha(255);
    const QString fullKey = QStringLiteral("img:%1/%2/%3/%4").arg(key).arg(radius).arg(dpr).arg(opaque.rgba64(), 0, 16);
    QPixmap pixmap;
    if (QPixmap *cached = cache().object(fullKey)) {
        pixmap = *cached;
    } else {
        const int m = int(std::ceil(margin * dpr));
        const QSize size = source.size() + QSize(2 * m, 2 * m);
        QImage alpha(size, QImage::Format_Alpha8);
        alpha.fill(0);
        {
            QPainter p(&alpha);
            QImage src = source;
            src.setDevicePixelRatio(1.0);
            p.drawImage(m, m, src);
        }
        pixmap = tintedBlur(alpha, sigmaFor(radius) * dpr, opaque, dpr);
        cache().insert(fullKey, new QPixmap(pixmap), std::max(1, int(size.width() * size.height() * 4 / 1024)));
    }
    const qreal before = painter.opacity();
    painter.setOpacity(before * color.alphaF());
    const double m = std::ceil(margin * dpr) / dpr;
    painter.drawPixmap(topLeft - QPointF(m, m), pixmap);
    painter.setOpacity(before);
}
