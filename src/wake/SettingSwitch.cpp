// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/SettingSwitch.h"

#include "wake/SettingsStore.h"

SettingSwitch::SettingSwitch(SettingsStore &store, QString key, qint64 onValue, qint64 defaultValue, QObject *parent)
    : QObject(parent),
      m_store(store),
      m_key(std::move(key)),
      m_onValue(onValue),
      m_defaultValue(defaultValue)
{}

qint64 SettingSwitch::value() const
{
    const std::optional<qint64> stored = m_store.integer(m_key);
    return stored && *stored >= 0 ? *stored : m_defaultValue;
}

void SettingSwitch::setOn(bool on)
{
    if (on == isOn())
        return;
    m_store.setInteger(m_key, on ? m_onValue : 0);
    Q_EMIT isOnChanged(on);
}
