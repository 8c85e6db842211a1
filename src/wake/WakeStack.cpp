// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/WakeStack.h"

WakeStack::WakeStack(Parts parts, Guard guard, std::function<void()> afterRelease)
    : m_manager(parts.inhibitor, parts.delayLock, parts.environment.clock),
      m_timer(m_manager, parts.settings, parts.environment)
{
    if (guard == Guard::none)
        return;
    m_guard.emplace(TerminationGuard::Parts{m_manager, parts.environment.systemEvents, parts.delayLock,
                                            guard == Guard::allWaysOut, std::move(afterRelease)});
}

WakeStack::~WakeStack()
{
    m_guard.reset();
    m_manager.release();
}
