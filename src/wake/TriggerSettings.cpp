// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/TriggerSettings.h"

#include "wake/SettingsStore.h"

namespace {
QStringList cleaned(const QStringList &names)
{
    QStringList out;
    for (const QString &name : names) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty() && !out.contains(trimmed))
            out.append(trimmed);
    }
    return out;
}
} // namespace

TriggerSettings::TriggerSettings(SettingsStore &store, QObject *parent)
    : QObject(parent),
      whileMediaPlays(store, whileMediaPlaysKey, 1, 0),
      whileRemoteSession(store, whileRemoteSessionKey, 1, 0),
      onBattery(store, onBatteryKey, 1, 0),
      m_store(store)
{}

QStringList TriggerSettings::applications() const
{
    return cleaned(m_store.stringList(whileAppsRunKey).value_or(QStringList{}));
}

void TriggerSettings::setApplications(const QStringList &names)
{
    const QStringList next = cleaned(names);
    if (next == applications())
        return;
    m_store.setStringList(whileAppsRunKey, next);
    Q_EMIT applicationsChanged();
}
