// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/SettingSwitch.h"

#include <QObject>
#include <QStringList>

class SettingsStore;

// What keeps the computer awake without being asked, as the user set it: each switch off
// until turned on, and the list of programs empty until filled.
class TriggerSettings : public QObject {
    Q_OBJECT
public:
    static inline const QString whileMediaPlaysKey = QStringLiteral("corvane.whileMediaPlays");
    static inline const QString whileAppsRunKey = QStringLiteral("corvane.whileAppsRun");
    static inline const QString whileRemoteSessionKey = QStringLiteral("corvane.whileRemoteSession");
    static inline const QString onBatteryKey = QStringLiteral("corvane.triggersOnBattery");

    explicit TriggerSettings(SettingsStore &store, QObject *parent = nullptr);

    SettingSwitch whileMediaPlays;
    SettingSwitch whileRemoteSession;
    // On: the triggers keep the computer awake on battery too.
    SettingSwitch onBattery;

    // Program names as the system gives them (the executable's name), without blanks or
    // repeats, in the order they were added.
    QStringList applications() const;
    void setApplications(const QStringList &names);

Q_SIGNALS:
    void applicationsChanged();

private:
    SettingsStore &m_store;
};
