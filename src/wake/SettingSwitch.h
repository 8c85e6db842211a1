// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class SettingsStore;

// A number the user switches on or off from a menu: 0 is off, the number is on. Read on
// every use, so a change in the menu holds from the next check on.
class SettingSwitch : public QObject {
    Q_OBJECT
public:
    // `onValue` is what switching on stores; `defaultValue` what an absent or negative
    // setting reads as.
    SettingSwitch(SettingsStore &store, QString key, qint64 onValue, qint64 defaultValue, QObject *parent = nullptr);

    qint64 value() const;
    bool isOn() const { return value() > 0; }
    void setOn(bool on);

Q_SIGNALS:
    void isOnChanged(bool on);

private:
    SettingsStore &m_store;
    QString m_key;
    qint64 m_onValue;
    qint64 m_defaultValue;
};
