// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PanelPlacement.h"

#include <algorithm>
#include <cmath>

namespace {
enum class Edge { None, Top, Bottom, Left, Right };

// The bar holding the icon: the part of the screen outside the usable area where the
// anchor lies. A point that is on no screen, or inside the usable area, names none.
Edge barEdge(const QRect &anchor, const QRect &screen, const QRect &available)
{
    if (!screen.isValid() || !screen.intersects(anchor) || available.contains(anchor.center()))
        return Edge::None;
    if (anchor.right() < available.left())
        return Edge::Left;
    if (anchor.left() > available.right())
        return Edge::Right;
    if (anchor.bottom() < available.top())
        return Edge::Top;
    if (anchor.top() > available.bottom())
        return Edge::Bottom;
    return Edge::None;
}

// When the panel is larger than the room, its start wins: its top stays on screen.
int clampInto(int value, int low, int high)
{
    return std::max(std::min(value, high), low);
}
} // namespace

QPoint PanelPlacement::origin(const QRect &anchor, const QSize &panel, const QRect &screen, const QRect &available)
{
    // The middle pixel of the anchor: for a click point, the point itself.
    const double centreX = anchor.x() + (anchor.width() - 1) / 2.0;
    const double centreY = anchor.y() + (anchor.height() - 1) / 2.0;
    int x = int(std::lround(centreX - panel.width() * 0.5));
    if (!available.isValid())
        return {x, anchor.y() + anchor.height() + gap};

    const int left = available.x() + screenMargin;
    const int right = available.x() + available.width() - panel.width() - screenMargin;
    const Edge edge = barEdge(anchor, screen, available);
    if (edge == Edge::Left || edge == Edge::Right) {
        x = edge == Edge::Left ? available.x() + gap : available.x() + available.width() - gap - panel.width();
        const int y = int(std::lround(centreY - panel.height() * 0.5));
        return {x,
                clampInto(y, available.y() + screenMargin,
                          available.y() + available.height() - panel.height() - screenMargin)};
    }

    // A click point may lie inside the bar; hang from the bar's edge.
    const int below = std::max(anchor.y() + anchor.height(), available.y()) + gap;
    const int above = std::min(anchor.y(), available.y() + available.height()) - gap - panel.height();
    const int lowest = available.y() + available.height() - panel.height();
    const bool fitsBelow = below <= lowest;
    const bool fitsAbove = above >= available.y();
    const bool atBottom = edge == Edge::Bottom || (edge == Edge::None && anchor.center().y() > available.center().y());
    int y = atBottom ? (fitsAbove || !fitsBelow ? above : below) : (fitsBelow || !fitsAbove ? below : above);
    y = clampInto(y, available.y(), lowest);
    // Wider than the usable area, it keeps its right margin and gives up the left one.
    return {std::min(std::max(x, left), right), y};
}

QPoint PanelPlacement::windowOrigin(const QSize &panel, const QRect &available)
{
    if (!available.isValid())
        return {screenMargin, screenMargin};
    const int x = available.x() + (available.width() - panel.width()) / 2;
    const int top = available.y() + available.height() / 8;
    const int lowest = available.y() + available.height() - screenMargin - panel.height();
    const int y = std::max(std::min(top, lowest), available.y() + screenMargin);
    return {std::max(x, available.x()), y};
}
