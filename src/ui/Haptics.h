// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

// Haptic feedback at the moments the interface asks for it. Linux desktops have no trackpad
// haptics, so nothing happens by default; the call sites stay so a backend can plug in.
namespace Haptics {

enum class Pattern { Generic, Alignment, LevelChange };

// A wake state change: a preset, the switch, the quick toggle, a custom start.
void levelChange();
// One step of a picker wheel.
void alignment();

// Replaces the (silent) performer; an empty function restores it.
void setPerformer(std::function<void(Pattern)> performer);

} // namespace Haptics
