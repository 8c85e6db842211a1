// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/AppcastItem.h"

// How the updater lets its owner take over showing a scheduled update, for a program that
// normally has no window in front. Called on the main thread.
class UserDriverDelegate {
public:
    struct UpdateState {
        bool userInitiated = false;
    };

    virtual ~UserDriverDelegate() = default;
    virtual bool supportsGentleScheduledUpdateReminders() const = 0;
    // Whether the updater should show a scheduled update itself.
    virtual bool shouldHandleShowingScheduledUpdate(const AppcastItem &update, bool inImmediateFocus) = 0;
    virtual void willHandleShowingUpdate(bool handleShowingUpdate, const AppcastItem &update,
                                         const UpdateState &state) = 0;
    virtual void didReceiveUserAttention(const AppcastItem &update) = 0;
    virtual void willFinishUpdateSession() = 0;
};
