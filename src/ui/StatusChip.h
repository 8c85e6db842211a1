// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

class Clock;
class AnimationTimeline;

// The small capsule at the right of the header: the countdown while a timed period runs,
// "∞ Indefinite Wake" while an open-ended one does, and "Sleep allowed" while idle.
class StatusChip : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Idle, Timed, Indefinite };

    // How long changed digits of the countdown take to roll into place, seconds.
    static constexpr double digitDuration = 0.3;

    explicit StatusChip(Clock &clock, QWidget *parent = nullptr);

    void setState(Kind kind, const QString &clock, const QColor &accent);
    Kind kind() const { return m_kind; }
    // What the chip reads, as one line; for tests and screen readers.
    QString text() const;
    // The capsule's fill as drawn now: it glides between the idle white and the accent.
    QColor fillNow() const;
    // How far changed digits have rolled in, eased: 1 at rest.
    double digitProgress() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static QColor fillFor(Kind kind, const QColor &accent);
    static void paintCapsule(QPainter &painter, const QRectF &rect, const QColor &fill);
    void onFrame();

    Clock &m_animationClock;
    AnimationTimeline *m_timeline;

    Kind m_kind = Kind::Idle;
    QString m_clock;
    QColor m_accent;
    QString m_previousClock;
    AnimatedValue m_digits{1.0};
    QColor m_fillFrom;
    QColor m_fillTo;
    AnimatedValue m_fillMix{1.0};
    QPixmap m_capsule;
    QColor m_capsuleFill;
};
