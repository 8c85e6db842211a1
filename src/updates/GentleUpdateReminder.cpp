// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/GentleUpdateReminder.h"

bool GentleUpdateReminder::shouldHandleShowingScheduledUpdate(const AppcastItem &, bool inImmediateFocus)
{
    return inImmediateFocus;
}

void GentleUpdateReminder::willHandleShowingUpdate(bool handleShowingUpdate, const AppcastItem &,
                                                   const UpdateState &state)
{
    if (!handleShowingUpdate && !state.userInitiated)
        notify(true);
}

void GentleUpdateReminder::didReceiveUserAttention(const AppcastItem &)
{
    notify(false);
}

void GentleUpdateReminder::willFinishUpdateSession()
{
    notify(false);
}

void GentleUpdateReminder::notify(bool waiting)
{
    if (onChange)
        onChange(waiting);
}
