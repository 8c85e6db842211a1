// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimationTimeline.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <vector>

// An 18-point status dot. Active, it shows the colour with a soft glow and a ring that
// expands and fades every 1.8 s, in phase with the clock so every dot pulses together.
// Inactive, it is a plain grey dot and never redraws by itself.
class PulseDot : public QWidget {
    Q_OBJECT
public:
    static constexpr double period = 1.8;
    static constexpr double frameSize = 18.0;
    static constexpr double dotSize = 7.0;
    // The ring grows in this many steps per period.
    static constexpr int ringSteps = 32;

    struct Ring {
        double scale;
        double opacity;
    };
    // The ring at time t, seconds since 2001-01-01 UTC.
    static Ring ringAt(double t);

    explicit PulseDot(Clock &clock, QWidget *parent = nullptr);

    bool isActive() const { return m_active; }
    QColor color() const { return m_color; }
    const AnimationTimeline &timeline() const { return *m_timeline; }

    QSize sizeHint() const override;

public Q_SLOTS:
    void setActive(bool active);
    void setColor(const QColor &color);

Q_SIGNALS:
    void activeChanged(bool active);
    void colorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QPixmap &ringImage(int step, qreal dpr);

    Clock *m_clock;
    AnimationTimeline *m_timeline;
    bool m_active = false;
    QColor m_color;
    // The ring at each of a few dozen sizes, drawn once per colour: stroking a circle goes
    // through the raster engine's worker threads, copying an image does not.
    std::vector<QPixmap> m_rings;
};
