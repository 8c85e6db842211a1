// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PressableStyle.h"

#include "ui/CorvaneStyles.h"

#include <QImage>
#include <algorithm>
#include <cmath>

PressableStyle::PressableStyle(double pressedScale) : m_pressedScale(pressedScale)
{}

bool PressableStyle::setPressed(bool pressed, double now)
{
    if (pressed == m_pressed)
        return false;
    m_pressed = pressed;
    m_amount.animateTo(pressed ? 1.0 : 0.0, CorvaneStyles::spring(), now);
    return true;
}

double PressableStyle::scale(double now) const
{
    return 1.0 + (m_pressedScale - 1.0) * m_amount.value(now);
}

double PressableStyle::brightness(double now) const
{
    return pressedBrightness * m_amount.value(now);
}

QTransform PressableStyle::transform(const QRectF &bounds, double now) const
{
    const double s = scale(now);
    const QPointF c = bounds.center();
    return QTransform::fromTranslate(-c.x(), -c.y()) * QTransform::fromScale(s, s)
        * QTransform::fromTranslate(c.x(), c.y());
}

void PressableStyle::adjustBrightness(QImage &image, double delta)
{
    if (delta == 0.0)
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int d = int(std::lround(delta * 255.0));
    for (int y = 0; y < image.height(); ++y) {
        auto *px = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(px[x]);
            if (a == 0)
                continue;
            // In premultiplied form the shift scales with coverage.
            const int shift = d * a / 255;
            auto adj = [&](int c) { return std::clamp(c + shift, 0, a); };
            px[x] = qRgba(adj(qRed(px[x])), adj(qGreen(px[x])), adj(qBlue(px[x])), a);
        }
    }
}
