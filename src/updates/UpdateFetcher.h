// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/UpdateCheckProcess.h"

#include <functional>

// The update helper's side of UpdateCheckProcess, and the only code of the program that goes
// on the network: it runs in `corvane-update-check`, never in the tray.
class UpdateFetcher {
public:
    // Reads a request from standard input (none from a terminal), checks or downloads, writes
    // the result to standard output and returns the exit status. Needs a running
    // QCoreApplication for its event loop. `adjust` may change the request first.
    static int serve(const std::function<void(UpdateCheckProcess::Request &)> &adjust = {});

    // One request, from the calling thread's event loop.
    static UpdateCheckProcess::Result fetch(const UpdateCheckProcess::Request &request);
};
