// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class GlobalShortcut;
class SettingsStore;

// The user's shortcut for turning a wake period on and off: the keys kept in the settings
// and the registration with the desktop, which only ever change together.
class ToggleShortcut : public QObject {
    Q_OBJECT
public:
    static inline const QString settingKey = QStringLiteral("corvane.toggleShortcut");

    ToggleShortcut(SettingsStore &settings, GlobalShortcut &desktop, QObject *parent = nullptr);

    // Qt's portable text ("Ctrl+Alt+K"); empty when there is none.
    QString keys() const { return m_keys; }

    // Registers `keys` (empty: removes the shortcut) and keeps them when the desktop took
    // them. Returns the desktop's refusal, empty on success; a refused shortcut leaves the
    // one set before in force.
    QString setKeys(const QString &keys);

    // At launch: hands the kept keys to the desktop, for services that forget them with
    // the session (kglobalaccel's "present" mark, a root-window grab).
    void restore();

    // While the dialog records new keys, the ones in force reach it instead of toggling.
    void setRecording(bool recording);

Q_SIGNALS:
    void keysChanged();

private:
    SettingsStore &m_settings;
    GlobalShortcut &m_desktop;
    QString m_keys;
};
