// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config.h"
#include "updates/AppcastItem.h"
#include "updates/UpdateCheckProcess.h"
#include "updates/UpdateError.h"
#include "wake/Clock.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class QTemporaryDir;
class SettingsStore;
class UpdateUserDriver;
class UserDriverDelegate;

// Everything the updater takes from outside, with the values the program uses.
struct AppcastUpdaterOptions {
    bool enabled = CORVANE_SELF_UPDATE;
    QString hostVersion = QStringLiteral(CORVANE_BUILD_NUMBER); // compared with sparkle:version
    QString hostDisplayVersion = QStringLiteral(CORVANE_VERSION); // shown to the user
    QByteArray publicKeyBase64 = builtInPublicKey();
    bool allowInsecureLoopback = false; // for the download's address
    std::chrono::milliseconds downloadTimeout{10 * 60 * 1000};
    qint64 maxDownloadBytes = qint64(1) << 30;
    std::chrono::seconds checkInterval{86400};
    std::shared_ptr<UpdateUserDriver> userDriver; // default: Qt dialogs
    std::function<bool()> inImmediateFocus; // default: a window of ours is active
    QString appImagePath = qEnvironmentVariable("APPIMAGE");
    std::function<void(const QUrl &)> openUrl; // default: QDesktopServices
    std::function<void(const QString &)> relaunch; // default: start the image and quit
    // What each check asks the update helper: the feeds (it chooses one itself) and their limits.
    UpdateCheckProcess::Request check;
    // Starts the update helper that runs a check or a download; the updater itself never goes
    // on the network. Required when self-update is on.
    std::function<UpdateCheckProcess *(const UpdateCheckProcess::Request &, QObject *parent)> startHelper;
    // A launch, often at login, stays quiet: a check that is due waits this long after start.
    std::chrono::milliseconds firstCheckDelay{2 * 60 * 1000};

    static QByteArray builtInPublicKey();
};

// Corvane's own updater for Sparkle appcasts: checks the feed in the update helper once a day
// and when the user asks, shows or defers what it finds, and installs only downloads whose
// Ed25519 signature and length match.
class AppcastUpdater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
public:
    static constexpr auto lastCheckKey = "corvane.lastUpdateCheck";
    static constexpr auto skippedVersionKey = "corvane.skippedVersion";

    // The delegate, the settings and the clock must outlive the updater.
    AppcastUpdater(UserDriverDelegate *userDriverDelegate, SettingsStore &settings, Clock &clock,
                   AppcastUpdaterOptions options = {}, QObject *parent = nullptr);
    ~AppcastUpdater() override;

    // Begins scheduled checks. Does nothing when self-update is switched off or already started.
    void startUpdater();
    bool started() const { return m_started; }

    // True while a user-initiated check could begin at once.
    bool canCheckForUpdates() const { return m_canCheck; }

    // A user-initiated check. While another cycle runs, it waits for that one to end; a
    // deferred update is shown straight away.
    void checkForUpdates();

    bool sessionInProgress() const { return m_phase != Phase::Idle; }

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    // An update session (check, and whatever followed it) ended.
    void sessionFinished();

private:
    enum class Phase { Idle, Checking, Deferred, Showing, Downloading };

    void scheduleNextCheck(std::chrono::milliseconds atLeast = {});
    void scheduledCheckDue();
    void beginCycle(bool userInitiated);
    void checkReported();
    void readAppcast(const QByteArray &appcast);
    void updateFound(const AppcastItem &item);
    void showUpdate();
    void choiceMade(int choice);
    void install();
    void archiveArrived();
    void fail(const UpdateError &error);
    void finishSession();
    void setPhase(Phase phase);
    void refreshCanCheck();

    UserDriverDelegate *m_userDriverDelegate;
    SettingsStore &m_settings;
    Clock &m_clock;
    AppcastUpdaterOptions m_options;
    Clock::Handle m_nextCheck;

    Phase m_phase = Phase::Idle;
    bool m_started = false;
    bool m_canCheck = false;
    bool m_userInitiated = false;
    bool m_userCheckQueued = false;
    bool m_sessionShown = false;
    quint64 m_session = 0;
    std::optional<AppcastItem> m_found;
    UpdateCheckProcess *m_download = nullptr;
    std::unique_ptr<QTemporaryDir> m_downloadDir; // private to this user, gone with the session
    UpdateCheckProcess *m_check = nullptr;
};
