// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GlassContainer.h"

#include "ui/CorvaneStyles.h"

#include <QPaintEvent>
#include <QWindow>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

GlassContainer::GlassContainer(double cornerRadius, QWidget *parent) : QWidget(parent), m_cornerRadius(cornerRadius)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void GlassContainer::setTranslucent(bool translucent)
{
    if (translucent == m_translucent)
        return;
    m_translucent = translucent;
    update();
}

void GlassContainer::setBackdrop(GlassBackdrop backdrop)
{
    m_backdrop = std::move(backdrop);
}

QColor GlassContainer::materialBase(bool translucent, bool blurred)
{
    QColor base = QColor::fromRgbF(0.15f, 0.16f, 0.18f);
    if (translucent)
        base.setAlphaF(blurred ? 0.55f : 0.88f);
    return base;
}

void GlassContainer::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_translucent = m_backdrop.compositorActive && m_backdrop.compositorActive();
    updateBlur();
}

void GlassContainer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateBlur();
}

void GlassContainer::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    updateBlur();
}

void GlassContainer::updateBlur()
{
    if (!isVisible())
        return;
    if (!m_translucent) {
        m_blurred = false;
        return;
    }
    const qreal dpr = devicePixelRatioF();
    const QPoint topLeft = mapTo(window(), QPoint(0, 0));
    const QRect device(int(std::round(topLeft.x() * dpr)), int(std::round(topLeft.y() * dpr)),
                       int(std::round(width() * dpr)), int(std::round(height() * dpr)));
    const bool blurred = m_backdrop.blurBehind && window()->windowHandle()
        && m_backdrop.blurBehind(window()->windowHandle(), device, m_cornerRadius * dpr);
    if (blurred != m_blurred) {
        m_blurred = blurred;
        update();
    }
}

void GlassContainer::paintEvent(QPaintEvent *event)
{
    // Animations inside the card repaint small regions many times a second; the card under
    // them is drawn once per size and copied from then on.
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    const QColor base = materialBase(m_translucent, m_blurred);
    if (m_cache.size() != pixels || m_cache.devicePixelRatio() != dpr || m_cacheBase != base
        || m_cacheRadius != m_cornerRadius) {
        m_cache = QPixmap(pixels);
        m_cache.setDevicePixelRatio(dpr);
        m_cache.fill(Qt::transparent);
        QPainter card(&m_cache);
        paintCard(card);
        m_cacheBase = base;
        m_cacheRadius = m_cornerRadius;
    }
    // Rectangle by rectangle: the pulsing dot, the switch's glow and a selected pill's glow
    // are far apart, and copying everything between them each frame would be most of the
    // card. Each copy is clipped to its own rectangle: under a clip of several rectangles
    // the raster engine copies span by span and hands large copies to worker threads,
    // waking them on every frame.
    QPainter p(this);
    for (const QRect &dirty : event->region()) {
        p.setClipRect(dirty);
        p.drawPixmap(QRectF(dirty), m_cache, QRectF(QPointF(dirty.topLeft()) * dpr, QSizeF(dirty.size()) * dpr));
    }
}

void GlassContainer::paintCard(QPainter &p) const
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect());
    QPainterPath card;
    card.addRoundedRect(r, m_cornerRadius, m_cornerRadius);
    p.fillPath(card, materialBase(m_translucent, m_blurred));
    p.fillPath(card, CorvaneStyles::withOpacity(CorvaneStyles::ink(), 0.45));
    p.fillPath(card, CorvaneStyles::glassSheen(r));

    QPainterPath rim;
    const double h = 0.5;
    const double inner = std::max(0.0, m_cornerRadius - h);
    rim.addRoundedRect(r.adjusted(h, h, -h, -h), inner, inner);
    QPen pen(QBrush(CorvaneStyles::rimGradient(r)), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10.0);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(rim);
}
