// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EdgeTransition.h"

#include "wake/Clock.h"
#include "ui/AnimationTimeline.h"
#include "ui/CorvaneStyles.h"

#include <QGraphicsEffect>
#include <QPainter>
#include <QWidget>
#include <algorithm>

// Draws the widget faded and moved up by the part of its height it has still to travel.
// Switched off at rest, so a widget in place paints directly.
class EdgeTransition::Effect : public QGraphicsEffect {
public:
    using QGraphicsEffect::QGraphicsEffect;

    void setPresence(double presence)
    {
        if (presence == m_presence)
            return;
        m_presence = presence;
        updateBoundingRect();
        update();
    }

protected:
    QRectF boundingRectFor(const QRectF &rect) const override
    {
        // Where it was drawn and where it will be: both must be repainted as it moves.
        return rect.united(rect.translated(0, -rect.height()));
    }

    void draw(QPainter *painter) override
    {
        const double p = std::clamp(m_presence, 0.0, 1.0);
        if (p <= 0.0)
            return;
        QPoint offset;
        const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
        if (pixmap.isNull())
            return;
        const double height = sourceBoundingRect(Qt::LogicalCoordinates).height();
        painter->save();
        painter->setOpacity(painter->opacity() * p);
        painter->translate(0, -(1.0 - p) * height);
        painter->drawPixmap(offset, pixmap);
        painter->restore();
    }

private:
    double m_presence = 1.0;
};

EdgeTransition::EdgeTransition(QWidget *slot, QWidget *painted, Clock &clock)
    : QObject(slot),
      m_slot(slot),
      m_painted(painted),
      m_clock(clock)
{
    // Frames only while moving, and only while the card they are on can be seen.
    QWidget *host = slot->parentWidget() ? slot->parentWidget() : slot;
    m_timeline = new AnimationTimeline(host, clock, 1.0 / 60.0, [this] { onFrame(); });
    m_effect = new Effect(painted);
    m_effect->setEnabled(false);
    painted->setGraphicsEffect(m_effect);
    m_shown = !slot->isHidden();
    m_presence.jumpTo(m_shown ? 1.0 : 0.0);
}

EdgeTransition::~EdgeTransition() = default;

double EdgeTransition::presence() const
{
    return std::clamp(m_presence.value(m_clock.frameTime()), 0.0, 1.0);
}

void EdgeTransition::setShown(bool shown)
{
    if (shown == m_shown || !m_slot || !m_painted)
        return;
    m_shown = shown;
    QWidget *window = m_slot->window();
    if (!window->isVisible()) {
        m_presence.jumpTo(shown ? 1.0 : 0.0);
        m_effect->setEnabled(false);
        m_slot->setVisible(shown);
        return;
    }
    m_presence.animateTo(shown ? 1.0 : 0.0, CorvaneStyles::spring(), m_clock.frameTime());
    m_effect->setEnabled(true);
    m_effect->setPresence(presence());
    if (shown)
        m_slot->show();
    m_timeline->setActive(true);
}

void EdgeTransition::onFrame()
{
    const double now = m_clock.frameTime();
    m_effect->setPresence(presence());
    if (m_presence.isAnimating(now))
        return;
    m_timeline->setActive(false);
    m_effect->setEnabled(false);
    if (!m_shown && m_slot)
        m_slot->hide();
}
