// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"
#include "ui/BreathingGlow.h"
#include "ui/PressableButton.h"
#include "ui/WakeSwitchGeometry.h"

#include <QColor>
#include <QString>

// The popover's large on/off control: a brushed-metal track with a square knob carrying the
// power symbol. While on, an accent fill grows to the knob's centre, the symbol lights up,
// the track gets an accent rim and a breathing glow, and the knob's position shows how much
// of the wake period is left. Clicking runs the caller's action through clicked(); the switch
// never changes its own state.
class WakeSwitch : public PressableButton {
    Q_OBJECT
public:
    static constexpr double pressedScale = 0.97;
    static constexpr double glowRadius = 16.0;
    static constexpr double cornerRadius = 14.0;
    static constexpr double knobCornerRadius = 11.0;

    explicit WakeSwitch(Clock &clock, QWidget *parent = nullptr);

    bool isOn() const { return m_on; }
    // Knob position as a fraction of the travel, 0 left end, 1 right end; clamped when drawn.
    double progress() const { return m_progress; }
    QColor accent() const { return m_accent; }
    QString title() const { return m_title; }
    QString subtitle() const { return m_subtitle; }
    double trackHeight() const { return m_height; }
    double knobSize() const { return m_knobSize; }
    double inset() const { return m_inset; }

    // Where everything sits for the values set (not the ones on screen mid-animation).
    WakeSwitchGeometry geometry() const;
    // The track, knob and text are laid out in this rectangle; the rest is room for the glow.
    QRectF trackRect() const;
    const BreathingGlow &glow() const { return m_glow; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    // On/off moves on the shared spring; the knob glides linearly over one second, so each
    // countdown step slides rather than jumps.
    void setOn(bool on);
    void setProgress(double fill);
    void setAccent(const QColor &accent);
    void setTitle(const QString &title);
    void setSubtitle(const QString &subtitle);
    void setTrackHeight(double height);
    void setKnobSize(double size);
    void setInset(double inset);

Q_SIGNALS:
    void onChanged(bool on);
    void progressChanged(double fill);
    void accentChanged(const QColor &accent);
    void titleChanged(const QString &title);
    void subtitleChanged(const QString &subtitle);

protected:
    void paintGlow(QPainter &painter, double now) override;
    void paintBody(QPainter &painter, double now) override;
    QByteArray bodyKey(double now) const override;
    QPainterPath hitShape() const override;
    void sampleAnimation(double now, std::vector<double> &out) const override;
    bool isAnimating(double now) const override;

private:
    QPainterPath outerShape() const;
    void updateMargins();
    void placeText(AnimatedValue &x, double target);
    void retargetText(const AnimationCurve &curve);
    double textX(bool forTitle, const WakeSwitchGeometry &g) const;

    bool m_on = false;
    double m_progress = 0.0;
    QColor m_accent;
    QString m_title;
    QString m_subtitle;
    double m_height = 58.0;
    double m_knobSize = 48.0;
    double m_inset = 5.0;

    AnimatedValue m_onAmount{0.0};
    AnimatedValue m_fill{0.0};
    AnimatedValue m_titleX{0.0};
    AnimatedValue m_subtitleX{0.0};
    BreathingGlow m_glow;
};
