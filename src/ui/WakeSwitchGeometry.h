// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the wake switch's parts sit for a given width and state. Lengths in points from the
// track's left edge.
struct WakeSwitchGeometry {
    double fraction; // fill clamped to [0, 1]
    double travel; // how far the knob's left edge can move
    double knobX; // the knob's left edge
    double fillWidth; // accent fill, ending at the knob's centre; 0 while off
    bool textLeft; // the title and subtitle stand left of the knob
    double textLeading; // padding of the text block from the left edge
    double textTrailing; // padding of the text block from the right edge

    static WakeSwitchGeometry compute(double width, bool isOn, double fill, double knobSize, double inset);
};
