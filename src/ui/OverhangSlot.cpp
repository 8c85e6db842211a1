// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/OverhangSlot.h"

#include <QEvent>

OverhangSlot::OverhangSlot(QWidget *occupant, QMargins overhang, QWidget *parent)
    : QWidget(parent),
      m_occupant(occupant),
      m_overhang(overhang)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(occupant->sizePolicy());
    occupant->setParent(parent);
    occupant->installEventFilter(this);
    occupant->raise();
}

QSize OverhangSlot::sizeHint() const
{
    return m_occupant ? m_occupant->sizeHint().shrunkBy(m_overhang) : QSize();
}

QSize OverhangSlot::minimumSizeHint() const
{
    return m_occupant ? m_occupant->minimumSizeHint().shrunkBy(m_overhang) : QSize();
}

void OverhangSlot::place()
{
    if (m_occupant)
        m_occupant->setGeometry(geometry().marginsAdded(m_overhang));
}

void OverhangSlot::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    place();
}

void OverhangSlot::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    place();
}

bool OverhangSlot::event(QEvent *event)
{
    // The occupant is not our child, so it follows our explicit showing and hiding by hand.
    if (m_occupant) {
        if (event->type() == QEvent::ShowToParent) {
            m_occupant->show();
            place();
        } else if (event->type() == QEvent::HideToParent) {
            m_occupant->hide();
        }
    }
    return QWidget::event(event);
}

bool OverhangSlot::eventFilter(QObject *watched, QEvent *event)
{
    // The occupant's own size wishes change with its text: pass them on to the layout.
    if (watched == m_occupant && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QWidget::eventFilter(watched, event);
}
