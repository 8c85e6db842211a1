// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"
#include "ui/AnimationTimeline.h"

#include <QColor>
#include <QWidget>

// The thin glowing bar that shows how much of a timed wake period is left. A change of value
// glides linearly over one second, so once-a-second updates read as continuous motion.
class ProgressBar : public QWidget {
    Q_OBJECT
public:
    static constexpr double barHeight = 3.0;
    static constexpr double minimumFill = 3.0;
    static constexpr double glowRadius = 4.0;

    // Width of the fill for `value` of a bar `width` wide: never under the 3-point stub, which
    // also stands in for a value that is not a number. Values above 1 are not clamped.
    static double fillWidth(double value, double width);

    explicit ProgressBar(Clock &clock, QWidget *parent = nullptr);

    double value() const { return m_value; }
    QColor accent() const { return m_accent; }
    QRectF trackRect() const;
    // The fill's width on screen right now.
    double displayedFillWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setValue(double value);
    void setAccent(const QColor &accent);

Q_SIGNALS:
    void valueChanged(double value);
    void accentChanged(const QColor &accent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void onFrame();

    Clock *m_clock;
    AnimationTimeline *m_animation;
    double m_value = 0.0;
    QColor m_accent;
    AnimatedValue m_shown{0.0};
    double m_lastPainted = -1.0;
};
