// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/AppcastUpdater.h"
#include "updates/GentleUpdateReminder.h"
#include "updates/UpdateFeedSelector.h"

#include <QObject>
#include <QString>
#include <memory>

class QNetworkAccessManager;
class SettingsStore;

// The program's one way into self-updating: the feed selector, the gentle reminder and
// the appcast updater, wired together, with two observable flags for the interface.
class UpdaterService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheck READ canCheck NOTIFY canCheckChanged)
    Q_PROPERTY(bool updateAvailable READ updateAvailable NOTIFY updateAvailableChanged)
    Q_PROPERTY(QString versionString READ versionString CONSTANT)
public:
    struct Options {
        UpdateFeedSelector::Options feed;
        AppcastUpdaterOptions updater;
        QNetworkAccessManager *network = nullptr; // default: one of the service's own
        // Every check (feed choice and appcast) runs in `checkProgram --check-updates`; this
        // process goes on the network only to download an update the user chose to install.
        QString checkProgram;
    };

    // As the program runs: checks in a process of this very executable.
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
    std::unique_ptr<QNetworkAccessManager> m_ownNetwork;
    std::unique_ptr<GentleUpdateReminder> m_reminder;
    // Declared last so it goes first: it calls into the one above.
    std::unique_ptr<AppcastUpdater> m_controller;
    bool m_enabled;
};
