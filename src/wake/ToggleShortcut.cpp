// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/ToggleShortcut.h"

#include "wake/GlobalShortcut.h"
#include "wake/Logging.h"
#include "wake/SettingsStore.h"

ToggleShortcut::ToggleShortcut(SettingsStore &settings, GlobalShortcut &desktop, QObject *parent)
    : QObject(parent),
      m_settings(settings),
      m_desktop(desktop),
      m_keys(settings.string(settingKey).value_or(QString()).trimmed())
{
    // Keys the user gave the shortcut in the desktop's own settings are the ones in force.
    connect(&desktop, &GlobalShortcut::changedByDesktop, this, [this](const QString &keys) {
        m_settings.setString(settingKey, keys);
        if (keys != m_keys) {
            m_keys = keys;
            Q_EMIT keysChanged();
        }
    });
}

QString ToggleShortcut::setKeys(const QString &keys)
{
    const QString wanted = keys.trimmed();
    QString refusal = m_desktop.bind(wanted);
    if (!refusal.isEmpty()) {
        // The old keys were not touched by a refused registration; registering them again
        // covers a service that dropped them anyway.
        if (!m_keys.isEmpty() && wanted != m_keys)
            m_desktop.bind(m_keys);
        return refusal;
    }
    m_settings.setString(settingKey, wanted);
    if (wanted != m_keys) {
        m_keys = wanted;
        Q_EMIT keysChanged();
    }
    return {};
}

void ToggleShortcut::setRecording(bool recording)
{
    if (recording != m_desktop.isSuspended())
        m_desktop.setSuspended(recording);
}

void ToggleShortcut::restore()
{
    if (m_keys.isEmpty())
        return;
    const QString refusal = m_desktop.restore(m_keys);
    if (!refusal.isEmpty())
        qCWarning(lcSettings) << "The toggle shortcut" << m_keys << "is not in force:" << refusal;
}
