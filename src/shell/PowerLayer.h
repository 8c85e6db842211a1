#pragma once

#include "platform/LinuxPowerBackend.h"
#include "wake/PowerAssertionManager.h"

// The platform's inhibitors behind the one assertion manager: what the tray application
// and the command line without a tray both hold their inhibition through.
struct PowerLayer {
    LinuxPowerBackend backend;
    PowerAssertionManager manager{backend};

    // The exit hook may release after main() has returned, so the layer is never torn
    // down: this is the one object the process keeps past its composition root.
    static PowerLayer &build();
};
