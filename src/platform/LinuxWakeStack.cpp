// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LinuxWakeStack.h"

#include <QCoreApplication>

LinuxWakeStack::LinuxWakeStack(SettingsStore &settings, WakeStack::Guard guard)
    : m_inhibitors(DesktopEnvironment::current(), m_clock, InhibitorChain::Timing{}),
      m_events(m_inhibitors.buses()),
      m_delayLock(m_events, m_inhibitors.buses()),
      m_stack(
          WakeStack::Parts{m_inhibitors.chain(), &m_delayLock, settings, TimerServiceEnvironment{m_clock, m_events}},
          guard, [this] {
              // A release on the way out only queues its messages; wait briefly until
              // they have left. Without an application object there is no loop to
              // send them any more.
              if (QCoreApplication::instance())
                  m_inhibitors.buses().flush(250);
          })
{}
