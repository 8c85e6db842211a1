// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/AnimatedValue.h"

#include <QObject>
#include <QPointer>

class Clock;
class AnimationTimeline;
class QWidget;

// Brings a widget of a layout in and out with opacity combined with a move from the top
// edge: entering, its room opens at once and it slides down into it while fading in;
// leaving, it slides up and fades out in place, and only then gives its room back. While
// the window is hidden a change is taken at once.
class EdgeTransition : public QObject {
    Q_OBJECT
public:
    // `slot` is what the layout shows and hides; `painted` is what moves and fades (the
    // slot itself, or a widget that stands over it).
    EdgeTransition(QWidget *slot, QWidget *painted, Clock &clock);
    ~EdgeTransition() override;

    void setShown(bool shown);
    bool isShown() const { return m_shown; }
    // 0 = gone (faded out, moved up by its own height), 1 = in place.
    double presence() const;

private:
    class Effect;
    void onFrame();

    QPointer<QWidget> m_slot;
    QPointer<QWidget> m_painted;
    Clock &m_clock;
    AnimationTimeline *m_timeline;
    Effect *m_effect;
    AnimatedValue m_presence{1.0};
    bool m_shown = true;
};
