// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LinuxTriggers.h"

#include "platform/MprisWatcher.h"
#include "platform/ProcessNameWatcher.h"
#include "platform/RemoteSessionWatcher.h"
#include "wake/CorvaneTimerService.h"
#include "wake/Logging.h"
#include "wake/TriggerSettings.h"

LinuxTriggers::LinuxTriggers(Parts parts, QObject *parent) : QObject(parent), m_parts(parts)
{
    m_parts.timer.setTriggerPower(m_parts.power, m_parts.settings.onBattery);
    connect(&m_parts.settings.whileMediaPlays, &SettingSwitch::isOnChanged, this, &LinuxTriggers::follow);
    connect(&m_parts.settings.whileRemoteSession, &SettingSwitch::isOnChanged, this, &LinuxTriggers::follow);
    connect(&m_parts.settings, &TriggerSettings::applicationsChanged, this, &LinuxTriggers::follow);
    follow();
}

LinuxTriggers::~LinuxTriggers() = default;

void LinuxTriggers::follow()
{
    qCDebug(lcPower) << "Triggers: media" << m_parts.settings.whileMediaPlays.isOn() << "remote"
                     << m_parts.settings.whileRemoteSession.isOn() << "programs"
                     << m_parts.settings.applications().size();
    if (m_parts.settings.whileMediaPlays.isOn() != bool(m_media)) {
        if (m_media) {
            m_media.reset();
        } else {
            m_media = std::make_unique<MprisWatcher>(m_parts.buses);
            m_parts.timer.addTrigger(*m_media);
        }
    }
    if (m_parts.settings.whileRemoteSession.isOn() != bool(m_remote)) {
        if (m_remote) {
            m_remote.reset();
        } else {
            m_remote = std::make_unique<RemoteSessionWatcher>(m_parts.buses);
            m_parts.timer.addTrigger(*m_remote);
        }
    }
    const QStringList names = m_parts.settings.applications();
    if (names.isEmpty()) {
        m_processes.reset();
    } else if (m_processes) {
        m_processes->setNames(names);
    } else {
        m_processes = std::make_unique<ProcessNameWatcher>(m_parts.clock, names);
        m_parts.timer.addTrigger(*m_processes);
    }
}
