// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Clock.h"
#include "ui/AnimationTimeline.h"
#include "ui/PressableStyle.h"

#include <QAbstractButton>
#include <QPainterPath>
#include <QPixmap>
#include <vector>

// A button drawn entirely by its subclass, which shrinks and darkens while pressed and
// accepts clicks only inside its shape. The contents rect holds the button itself; the
// contents margins leave room for its glow.
class PressableButton : public QAbstractButton {
    Q_OBJECT
public:
    PressableButton(double pressedScale, Clock &clock, QWidget *parent);

    Clock *clock() const { return m_clock; }
    const PressableStyle &pressStyle() const { return m_press; }

protected:
    // Everything the press effect applies to, in widget coordinates. By default the glow,
    // then the body over it.
    virtual void paintLabel(QPainter &painter, double now);
    // A glow that moves on its own (breathing) around a body that stays as it is.
    virtual void paintGlow(QPainter &, double) {}
    virtual void paintBody(QPainter &, double) {}
    // Names everything the body's pixels depend on. While the key stays the same and the
    // control is neither pressed nor animating, the body is copied from the last drawing
    // instead of drawn again, so a breathing glow costs a copy per frame. Empty: no copy.
    virtual QByteArray bodyKey(double now) const;
    virtual QPainterPath hitShape() const = 0;
    // The subclass's own animated values, sampled per frame: a frame that would not move
    // anything by a visible amount is skipped, so a slow glide costs few repaints.
    virtual void sampleAnimation(double now, std::vector<double> &out) const;
    virtual bool isAnimating(double now) const;

    // Call after starting one of the subclass's animations.
    void animationStarted();

    bool hitButton(const QPoint &pos) const override;
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    void syncPressed();
    void onFrame();
    void paintFocus(QPainter &painter);

    Clock *m_clock;
    QPixmap m_body;
    QByteArray m_bodyKey;
    PressableStyle m_press;
    AnimationTimeline *m_animation;
    std::vector<double> m_lastSample;
    std::vector<double> m_sample;
};
