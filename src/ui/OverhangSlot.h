// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QPointer>
#include <QWidget>

// Holds a place in a layout for a widget that draws beyond its own box, like a glow, and
// keeps that widget over the place with its margins hanging out. The layout then spaces
// the visible shapes, not the glows around them.
class OverhangSlot : public QWidget {
    Q_OBJECT
public:
    // `occupant` becomes a sibling of the slot; `overhang` is how far it reaches out.
    OverhangSlot(QWidget *occupant, QMargins overhang, QWidget *parent);

    QWidget *occupant() const { return m_occupant; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QPointer<QWidget> m_occupant;
    QMargins m_overhang;
};
