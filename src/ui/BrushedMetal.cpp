// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BrushedMetal.h"

#include <QLinearGradient>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <map>
#include <tuple>

void BrushedMetal::paint(QPainter &painter, const QRectF &rect, Tone tone)
{
    // Glows around the switch and pills redraw them many times a second; the metal under
    // them only changes with its size, so it is drawn once per size and copied after.
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (rect.size() * dpr).toSize();
    if (pixels.isEmpty())
        return;
    using Key = std::tuple<int, int, int, qreal>;
    static std::map<Key, QImage> cache;
    const Key key{pixels.width(), pixels.height(), int(tone), dpr};
    auto found = cache.find(key);
    if (found == cache.end()) {
        if (cache.size() >= 32) // a handful of sizes are ever on screen
            cache.clear();
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter layer(&image);
        paintUncached(layer, QRectF(QPointF(0, 0), rect.size()), tone);
        layer.end();
        found = cache.emplace(key, image).first;
    }
    painter.drawImage(rect, found->second);
}

void BrushedMetal::paintUncached(QPainter &painter, const QRectF &rect, Tone tone)
{
    const bool dark = tone == Tone::Dark;
    QLinearGradient base(rect.topLeft(), rect.bottomLeft());
    const float top = dark ? 0.24f : 0.86f;
    const float bottom = dark ? 0.13f : 0.62f;
    base.setColorAt(0.0, QColor::fromRgbF(top, top, top));
    base.setColorAt(1.0, QColor::fromRgbF(bottom, bottom, bottom));
    painter.fillRect(rect, base);

    paintTexture(painter, rect, tone);

    QLinearGradient sheen(rect.topLeft(), rect.bottomRight());
    sheen.setColorAt(0.0, QColor::fromRgbF(1, 1, 1, 0));
    sheen.setColorAt(0.5, QColor::fromRgbF(1, 1, 1, dark ? 0.07f : 0.25f));
    sheen.setColorAt(1.0, QColor::fromRgbF(1, 1, 1, 0));
    painter.fillRect(rect, sheen);
}

void BrushedMetal::paintTexture(QPainter &painter, const QRectF &rect, Tone tone)
{
    forEachTextureLine(rect.height(), tone, [&](int y, double opacity, bool white) {
        const float c = white ? 1.0f : 0.0f;
        painter.fillRect(QRectF(rect.left(), rect.top() + y, rect.width(), 0.5),
                         QColor::fromRgbF(c, c, c, float(opacity)));
    });
}
