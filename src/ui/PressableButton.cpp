// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PressableButton.h"

#include "ui/CorvaneStyles.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainterPath>
#include <QImage>
#include <QPainter>
#include <cmath>

namespace {

// 60 frames a second for moving things; a change below an eighth of a point is invisible.
constexpr double animationInterval = 1.0 / 60.0;
constexpr double visibleChange = 0.125;

} // namespace

PressableButton::PressableButton(double pressedScale, Clock &clock, QWidget *parent)
    : QAbstractButton(parent),
      m_clock(&clock),
      m_press(pressedScale),
      m_animation(new AnimationTimeline(this, *m_clock, animationInterval, [this] { onFrame(); }))
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
}

void PressableButton::sampleAnimation(double now, std::vector<double> &out) const
{
    out.push_back(m_press.scale(now) * 100.0);
    out.push_back(m_press.brightness(now) * 1000.0);
}

bool PressableButton::isAnimating(double now) const
{
    return m_press.isAnimating(now);
}

void PressableButton::animationStarted()
{
    m_lastSample.clear();
    m_animation->setActive(true);
    update();
}

void PressableButton::onFrame()
{
    const double now = m_clock->frameTime();
    m_sample.clear();
    sampleAnimation(now, m_sample);
    bool changed = m_sample.size() != m_lastSample.size();
    for (size_t i = 0; !changed && i < m_sample.size(); ++i)
        changed = std::abs(m_sample[i] - m_lastSample[i]) >= visibleChange;
    if (changed) {
        m_lastSample.swap(m_sample);
        update();
    }
    if (!isAnimating(now)) {
        m_animation->setActive(false);
        update(); // the resting frame
    }
}

void PressableButton::paintLabel(QPainter &painter, double now)
{
    paintGlow(painter, now);
    paintBody(painter, now);
}

QByteArray PressableButton::bodyKey(double) const
{
    return {};
}

bool PressableButton::hitButton(const QPoint &pos) const
{
    return hitShape().contains(pos);
}

bool PressableButton::event(QEvent *e)
{
    // Enter and Return press the focused control, as Space does.
    if (e->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(e);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()
            && key->modifiers() == Qt::NoModifier) {
            click();
            return true;
        }
    }
    const bool result = QAbstractButton::event(e);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::FocusOut:
    case QEvent::Hide: syncPressed(); break;
    default: break;
    }
    return result;
}

void PressableButton::syncPressed()
{
    if (m_press.setPressed(isDown(), m_clock->frameTime()))
        animationStarted();
}

void PressableButton::paintEvent(QPaintEvent *)
{
    const double now = m_clock->frameTime();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QTransform t = m_press.transform(QRectF(contentsRect()), now);
    const double brightness = m_press.brightness(now);
    const qreal dpr = devicePixelRatioF();
    if (brightness == 0.0 && t.isIdentity() && !isAnimating(now)) {
        const QByteArray key = bodyKey(now);
        if (!key.isEmpty()) {
            if (key != m_bodyKey || m_body.size() != size() * dpr || m_body.devicePixelRatio() != dpr) {
                m_body = QPixmap(size() * dpr);
                m_body.setDevicePixelRatio(dpr);
                m_body.fill(Qt::transparent);
                QPainter body(&m_body);
                body.setRenderHint(QPainter::Antialiasing);
                paintBody(body, now);
                m_bodyKey = key;
            }
            paintGlow(p, now);
            p.drawPixmap(0, 0, m_body);
            paintFocus(p);
            return;
        }
    }
    m_bodyKey.clear();
    if (brightness == 0.0) {
        p.setTransform(t);
        paintLabel(p, now);
        paintFocus(p);
        return;
    }
    // Brightness needs the finished label: paint it into a layer and shift its colours.
    QImage layer(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        paintLabel(lp, now);
    }
    PressableStyle::adjustBrightness(layer, brightness);
    p.setTransform(t);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QPointF(0, 0), layer);
    paintFocus(p);
}

void PressableButton::paintFocus(QPainter &p)
{
    if (!hasFocus())
        return;
    p.resetTransform();
    CorvaneStyles::paintFocusRing(p, hitShape());
}
