// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PowerLayer.h"

PowerLayer &PowerLayer::build()
{
    // Held by a static so it stays reachable (and so not a leak) after main() returns,
    // when the exit hook may still release through it.
    static PowerLayer *const layer = new PowerLayer;
    return *layer;
}
