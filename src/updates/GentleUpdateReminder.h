// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/UserDriverDelegate.h"

#include <functional>

// Lets a scheduled update that turns up while Corvane is in the background wait quietly
// for the user, and reports through onChange whether one is waiting.
class GentleUpdateReminder : public UserDriverDelegate {
public:
    std::function<void(bool)> onChange;

    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    bool shouldHandleShowingScheduledUpdate(const AppcastItem &update, bool inImmediateFocus) override;
    void willHandleShowingUpdate(bool handleShowingUpdate, const AppcastItem &update,
                                 const UpdateState &state) override;
    void didReceiveUserAttention(const AppcastItem &update) override;
    void willFinishUpdateSession() override;

private:
    void notify(bool waiting);
};
