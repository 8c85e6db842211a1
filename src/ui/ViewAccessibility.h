// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Describes the interface's custom views to assistive technology: which are buttons, their
// names and values, and the toggle and selected states. Each view calls install() once.
namespace ViewAccessibility {
void install();
}
