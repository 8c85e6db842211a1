// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/WheelMotion.h"
#include "wake/Clock.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

// One snapping wheel: a vertical list of numbers that always comes to rest with one row in
// the highlighted band across its middle. The row in the band is the selection.
//
// `scrolled` is the value the wheel holds (or is heading for) at its centre. When the user
// moves it to another value, that value becomes the selection and `ticked` is emitted;
// when the selection is set from outside, the wheel turns to it without a tick.
class WheelColumn : public QWidget {
    Q_OBJECT
public:
    WheelColumn(QList<int> values, int selection, const QString &unit, const QColor &accent, double rowHeight,
                int visibleRows, Clock &clock, QWidget *parent = nullptr);
    ~WheelColumn() override;

    const QList<int> &values() const { return m_values; }
    int selection() const { return m_selection; }
    // A value from outside: the wheel turns to it with the spring and plays no tick. A value
    // that is not among `values` is kept as it is; the wheel rests on the nearest row.
    void setSelection(int value);
    std::optional<int> scrolled() const { return m_scrolled; }

    QString unit() const { return m_unit; }
    QColor accent() const { return m_accent; }
    void setAccent(const QColor &accent);
    double rowHeight() const { return m_rowHeight; }
    int visibleRows() const { return m_visibleRows; }

    // The name its owner gave it ("Hours"), else the unit.
    QString accessibleLabel() const;
    // Assistive adjustments: one step up or down, nothing at either end, no tick.
    void increment();
    void decrement();

    // Distance scrolled, in pixels: row i is centred at offset i × rowHeight.
    double offset() const { return m_offset; }
    bool isMoving() const { return m_motion.has_value() || m_dragging || m_touchpadActive; }
    // Rows drawn by the last paint; only those near the visible window are drawn.

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void selectionChanged(int value);
    // A value chosen by scrolling, tapping or the keyboard: the owner plays a haptic tick.
    void ticked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Drive { none, directed, free };
    struct Sample {
        double time;
        double offset;
    };

    int rowCount() const { return static_cast<int>(m_values.size()); }
    double maxOffset() const;
    // Row index that shows `value`, or the nearest row when it is not among the values.
    int indexFor(int value) const;
    int centredIndex() const;
    // The row the wheel is at or heading for.
    int restingIndex() const;
    double now() const;

    void setScrolled(int value);
    void turnTo(int index, bool animated);
    void step(int rows);
    void beginFree();
    void moveFree(double rawOffset);
    void release(double velocity);
    void trackCentre();
    double velocityAt(double time) const;
    void stopMotion();
    void holdFrames(bool hold);
    void onFrame();

    void paintRows(QPainter &painter, const QRectF &area);

    QList<int> m_values;
    int m_selection;
    std::optional<int> m_scrolled;
    QString m_unit;
    QColor m_accent;
    double m_rowHeight;
    int m_visibleRows;
    Clock *m_clock;
    bool m_shown = false;

    double m_offset = 0;
    Drive m_drive = Drive::none;
    std::optional<WheelMotion> m_motion;
    double m_motionStart = 0;
    Clock::Handle m_frames; // held only while the wheel moves, so a resting picker costs no wake-ups
    int m_trackedIndex = -1;

    // Pointer and touchpad input.
    bool m_pressed = false;
    bool m_dragging = false;
    bool m_caught = false; // the press stopped a moving wheel
    double m_pressY = 0;
    double m_rawOffset = 0;
    std::vector<Sample> m_samples;
    bool m_touchpadActive = false;
    double m_lastTouchpadTime = 0;
    int m_angleRemainder = 0;

    QImage m_layer;
};
