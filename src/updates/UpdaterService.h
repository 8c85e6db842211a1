// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/AppcastUpdater.h"
#include "updates/GentleUpdateReminder.h"

#include <QObject>
#include <QString>
#include <memory>

class SettingsStore;

// The program's one way into self-updating: the gentle reminder and the appcast updater
// (which asks the update helper to choose the feed), wired together, with two observable
// flags for the interface.
class UpdaterService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheck READ canCheck NOTIFY canCheckChanged)
    Q_PROPERTY(bool updateAvailable READ updateAvailable NOTIFY updateAvailableChanged)
    Q_PROPERTY(QString versionString READ versionString CONSTANT)
public:
    struct Options {
        AppcastUpdaterOptions updater;
        // Every check (feed choice and appcast) and every download runs in this helper;
        // this process never goes on the network itself.
        QString helperProgram; // default: UpdateCheckProcess::installedHelper()
    };

    // As the program runs: checks and downloads in the installed helper.
    UpdaterService(SettingsStore &settings, Clock &clock, QObject *parent = nullptr);
    UpdaterService(SettingsStore &settings, Clock &clock, Options options, QObject *parent = nullptr);
    ~UpdaterService() override;

    // Whether "Check for Updates…" may start a check now.
    bool canCheck() const { return m_canCheck; }
    // Whether a scheduled check found an update that waits for the user.
    bool updateAvailable() const { return m_updateAvailable; }

    // Returns at once: chooses the feed again, then runs a user-initiated check.
    Q_INVOKABLE void checkForUpdates();

    // "1.4 (27)": the version, then the build number in parentheses.
    static QString versionString();
    static QString versionString(const char *shortVersion, const char *build);

    AppcastUpdater &updater() { return *m_controller; }

Q_SIGNALS:
    void canCheckChanged(bool canCheck);
    void updateAvailableChanged(bool updateAvailable);

private:
    void setCanCheck(bool value);
    void setUpdateAvailable(bool value);

    bool m_canCheck = false;
    bool m_updateAvailable = false;
    std::unique_ptr<GentleUpdateReminder> m_reminder;
    // Declared last so it goes first: it calls into the one above.
    std::unique_ptr<AppcastUpdater> m_controller;
    bool m_enabled;
};
