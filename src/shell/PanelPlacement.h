// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a panel opened from an icon goes on screen. It knows nothing of trays: the anchor
// is whatever marks the icon (its geometry, or only the point a host says was clicked), and
// the screen's full and usable geometry tell on which edge the icon's bar sits.
class PanelPlacement {
public:
    // Between the bar (or the icon) and the panel.
    static constexpr int gap = 6;
    // Between the panel and the sides of the usable area it runs along.
    static constexpr int screenMargin = 8;

    // The panel's top-left corner. In a bar along the top or the bottom of the screen, the
    // panel is centred on the icon and hangs below it, or stands above it; in a bar along
    // the left or the right, it opens beside the bar, centred on the icon's height. An
    // anchor off the screen, or on no reserved bar, hangs below in the upper half of the
    // screen and stands above in the lower half, flipping where it would not fit. The panel
    // always stays inside the usable area; without one (no screen known) it stays where
    // the icon puts it.
    static QPoint origin(const QRect &anchor, const QSize &panel, const QRect &screen, const QRect &available);

    // The top-left corner of the panel shown as a window of its own, where no tray shows the
    // icon: centred across the usable area of the primary screen, its top an eighth of the
    // way down. The top stays there whatever the panel's height, so the controls under the
    // pointer do not move when the content grows or shrinks; only a panel that would run
    // off the bottom rises, as little as it must, and one taller than the area keeps its top
    // in it.
    static QPoint windowOrigin(const QSize &panel, const QRect &available);
};
