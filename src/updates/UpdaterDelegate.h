// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/UpdateError.h"

#include <QString>

// What the updater asks of its owner: which feed to read for each cycle, and how a cycle
// ended when it ended early. Called on the main thread.
class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;
    virtual QString feedURLString() = 0;
    virtual void didAbortWithError(const UpdateError &error) = 0;
};
