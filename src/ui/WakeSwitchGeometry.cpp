// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WakeSwitchGeometry.h"

#include <algorithm>
#include <cmath>

WakeSwitchGeometry WakeSwitchGeometry::compute(double width, bool isOn, double fill, double knobSize, double inset)
{
    WakeSwitchGeometry g{};
    // A fill that is not a number (0/0 progress) rests the knob at the left end.
    g.fraction = std::isnan(fill) ? 0.0 : std::clamp(fill, 0.0, 1.0);
    g.travel = width - knobSize - 2.0 * inset;
    g.knobX = inset + g.fraction * g.travel;
    g.fillWidth = isOn ? g.knobX + knobSize * 0.5 : 0.0;
    g.textLeft = isOn && g.fraction > 0.5;
    if (g.textLeft) {
        g.textLeading = 16.0;
        g.textTrailing = width - g.knobX + 10.0;
    } else {
        g.textLeading = g.knobX + knobSize + 10.0;
        g.textTrailing = 16.0;
    }
    return g;
}
