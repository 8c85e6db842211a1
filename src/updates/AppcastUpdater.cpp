// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/AppcastUpdater.h"

#include "wake/Logging.h"
#include "wake/SettingsStore.h"
#include "updates/AppcastParser.h"
#include "updates/Ed25519Verifier.h"
#include "updates/FeedUrlPolicy.h"
#include "updates/QtUserDriver.h"
#include "updates/UpdateInstaller.h"
#include "updates/UserDriverDelegate.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <utility>

QByteArray AppcastUpdaterOptions::builtInPublicKey()
{
    // The private half signs releases (scripts/release-sign) and never enters the repository.
    return QByteArrayLiteral("wpjPxMezWkvUoTeAoh53Fl52tnX5uNacFT87q2/KHjI=");
}

AppcastUpdater::AppcastUpdater(UserDriverDelegate *userDriverDelegate, SettingsStore &settings, Clock &clock,
                               AppcastUpdaterOptions options, QObject *parent)
    : QObject(parent),
      m_userDriverDelegate(userDriverDelegate),
      m_settings(settings),
      m_clock(clock),
      m_options(std::move(options))
{
    if (!m_options.userDriver)
        m_options.userDriver = std::make_shared<QtUserDriver>();
    if (!m_options.inImmediateFocus)
        m_options.inImmediateFocus = [] { return QApplication::activeWindow() != nullptr; };
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    if (!m_options.relaunch) {
        m_options.relaunch = [](const QString &path) {
            if (QProcess::startDetached(path, {}))
                QCoreApplication::quit();
        };
    }
}

AppcastUpdater::~AppcastUpdater()
{
    m_nextCheck.reset();
    delete m_download;
    delete m_check;
}

void AppcastUpdater::startUpdater()
{
    if (!m_options.enabled || m_started)
        return;
    m_started = true;
    refreshCanCheck();
    scheduleNextCheck(m_options.firstCheckDelay);
    if (m_userCheckQueued && m_phase == Phase::Idle) {
        m_userCheckQueued = false;
        beginCycle(true);
    }
}

void AppcastUpdater::scheduleNextCheck(std::chrono::milliseconds atLeast)
{
    using namespace std::chrono;
    const milliseconds interval = m_options.checkInterval;
    milliseconds delay{0};
    if (const auto last = m_settings.integer(QString::fromLatin1(lastCheckKey))) {
        const qint64 elapsedMs = (m_clock.wallNow().toSecsSinceEpoch() - *last) * 1000;
        // A last check "in the future" means the clock was set back: wait one interval.
        if (elapsedMs < 0)
            delay = interval;
        else
            delay = std::max(milliseconds{0}, interval - milliseconds{elapsedMs});
    } else if (m_settings.contains(QString::fromLatin1(lastCheckKey))) {
        qCWarning(lcSettings) << "Ignoring the stored" << lastCheckKey << "(not a whole number); checking now";
    }
    delay = std::max(delay, atLeast);
    qCDebug(lcUpdate) << "Next update check in" << duration_cast<seconds>(delay).count() << "s";
    // A day-long wait needs no precision, and a very coarse timer lets the system batch wake-ups.
    m_nextCheck = m_clock.callAfter(
        delay, [this] { scheduledCheckDue(); }, Qt::VeryCoarseTimer);
}

void AppcastUpdater::scheduledCheckDue()
{
    if (m_phase != Phase::Idle) {
        // One cycle at a time; a deferred update stays waiting for the user.
        m_nextCheck = m_clock.callAfter(
            m_options.checkInterval, [this] { scheduledCheckDue(); }, Qt::VeryCoarseTimer);
        return;
    }
    beginCycle(false);
}

void AppcastUpdater::checkForUpdates()
{
    if (!m_options.enabled)
        return;
    if (!m_started || (m_phase != Phase::Idle && m_phase != Phase::Deferred)) {
        m_userCheckQueued = true;
        return;
    }
    if (m_phase == Phase::Deferred) {
        m_userInitiated = true;
        showUpdate();
        return;
    }
    beginCycle(true);
}

void AppcastUpdater::setPhase(Phase phase)
{
    m_phase = phase;
    refreshCanCheck();
}

void AppcastUpdater::refreshCanCheck()
{
    const bool canCheck = m_options.enabled && m_started && (m_phase == Phase::Idle || m_phase == Phase::Deferred);
    if (canCheck == m_canCheck)
        return;
    m_canCheck = canCheck;
    Q_EMIT canCheckForUpdatesChanged(canCheck);
}

void AppcastUpdater::beginCycle(bool userInitiated)
{
    m_nextCheck.reset();
    ++m_session;
    m_userInitiated = userInitiated;
    m_sessionShown = userInitiated;
    m_found.reset();
    setPhase(Phase::Checking);
    m_settings.setInteger(QString::fromLatin1(lastCheckKey), m_clock.wallNow().toSecsSinceEpoch());

    if (userInitiated) {
        const quint64 session = m_session;
        QPointer<AppcastUpdater> self(this);
        m_options.userDriver->showCheckingForUpdates([self, session] {
            if (!self || self->m_session != session || self->m_phase != Phase::Checking)
                return;
            delete self->m_check;
            self->m_check = nullptr;
            self->finishSession();
        });
    }

    qCDebug(lcUpdate) << "Checking" << (userInitiated ? "on request" : "on schedule");
    m_check = m_options.startHelper(m_options.check, this);
    connect(m_check, &UpdateCheckProcess::finished, this, &AppcastUpdater::checkReported);
}

void AppcastUpdater::checkReported()
{
    UpdateCheckProcess *check = std::exchange(m_check, nullptr);
    check->deleteLater();
    const UpdateCheckProcess::Result &result = check->result();
    if (!result.ok) {
        fail({UpdateError::Appcast, tr("Corvane could not read the update feed. %1").arg(result.errorText)});
        return;
    }
    readAppcast(result.appcast);
}

void AppcastUpdater::readAppcast(const QByteArray &appcast)
{
    const AppcastParser::Result parsed = AppcastParser::parse(appcast);
    if (!parsed.ok) {
        fail({UpdateError::AppcastParse, parsed.error});
        return;
    }
    // Someone who asks explicitly sees a version they skipped earlier.
    const QString skipped =
        m_userInitiated ? QString() : m_settings.string(QString::fromLatin1(skippedVersionKey)).value_or(QString());
    const AppcastItem *best = AppcastParser::best(parsed.items, m_options.hostVersion, skipped);
    if (!best) {
        qCDebug(lcUpdate) << "Up to date:" << parsed.items.size() << "items, none newer than" << m_options.hostVersion;
        if (m_userInitiated) {
            m_options.userDriver->dismissCheckingForUpdates();
            m_options.userDriver->showUpToDate(m_options.hostDisplayVersion);
        }
        finishSession();
        return;
    }
    updateFound(*best);
}

void AppcastUpdater::updateFound(const AppcastItem &item)
{
    qCDebug(lcUpdate) << "Found version" << item.version << "at" << item.downloadUrl.toString();
    m_found = item;
    bool handleShowing = true;
    if (m_userInitiated) {
        m_options.userDriver->dismissCheckingForUpdates();
    } else if (m_userDriverDelegate && m_userDriverDelegate->supportsGentleScheduledUpdateReminders()) {
        handleShowing = m_userDriverDelegate->shouldHandleShowingScheduledUpdate(item, m_options.inImmediateFocus());
    }
    if (m_userDriverDelegate)
        m_userDriverDelegate->willHandleShowingUpdate(handleShowing, item, {m_userInitiated});
    if (handleShowing)
        showUpdate();
    else
        setPhase(Phase::Deferred);
}

void AppcastUpdater::showUpdate()
{
    setPhase(Phase::Showing);
    m_sessionShown = true;
    if (m_userDriverDelegate)
        m_userDriverDelegate->didReceiveUserAttention(*m_found);
    QPointer<AppcastUpdater> self(this);
    const quint64 session = m_session;
    m_options.userDriver->showUpdateFound(*m_found, m_options.hostDisplayVersion,
                                          [self, session](UpdateUserDriver::Choice choice) {
                                              if (self && self->m_session == session && self->m_phase == Phase::Showing)
                                                  self->choiceMade(int(choice));
                                          });
}

void AppcastUpdater::choiceMade(int choice)
{
    switch (UpdateUserDriver::Choice(choice)) {
    case UpdateUserDriver::Choice::Install: install(); return;
    case UpdateUserDriver::Choice::Skip:
        m_settings.setString(QString::fromLatin1(skippedVersionKey), m_found->version);
        finishSession();
        return;
    case UpdateUserDriver::Choice::RemindLater: finishSession(); return;
    }
}

void AppcastUpdater::install()
{
    const AppcastItem &item = *m_found;
    if (!UpdateInstaller::canReplace(m_options.appImagePath)) {
        // Installed by a package manager (or read-only): the package manager updates it.
        qCDebug(lcUpdate) << "Cannot replace" << m_options.appImagePath << "; opening the download page";
        m_options.openUrl(item.link.isValid() && !item.link.isRelative() ? item.link : item.downloadUrl);
        finishSession();
        return;
    }
    if (!FeedUrlPolicy::isAllowed(item.downloadUrl, m_options.allowInsecureLoopback)) {
        fail({UpdateError::Download, tr("The update's download address is not a secure address.")});
        return;
    }
    if (item.length < 0 || item.length > m_options.maxDownloadBytes) {
        fail({UpdateError::Validation, tr("The update does not state a usable size, so it cannot be checked.")});
        return;
    }
    m_downloadDir = std::make_unique<QTemporaryDir>();
    if (!m_downloadDir->isValid()) {
        fail(
            {UpdateError::Download, tr("Corvane could not download the update. %1").arg(m_downloadDir->errorString())});
        return;
    }
    setPhase(Phase::Downloading);
    m_options.userDriver->showDownloading(item);
    UpdateCheckProcess::Request download = m_options.check;
    download.archive = item.downloadUrl;
    download.archivePath = m_downloadDir->filePath(QStringLiteral("update"));
    // Never accept more than the item announced: the length is part of what is verified.
    download.maxArchiveBytes = item.length;
    download.archiveTimeout = m_options.downloadTimeout;
    download.allowInsecureLoopback = m_options.allowInsecureLoopback;
    m_download = m_options.startHelper(download, this);
    connect(m_download, &UpdateCheckProcess::finished, this, &AppcastUpdater::archiveArrived);
}

void AppcastUpdater::archiveArrived()
{
    UpdateCheckProcess *download = std::exchange(m_download, nullptr);
    download->deleteLater();
    const std::unique_ptr<QTemporaryDir> folder = std::move(m_downloadDir);
    const AppcastItem item = *m_found;
    const UpdateCheckProcess::Result &result = download->result();
    if (result.failure == UpdateCheckProcess::Failure::TooLarge) {
        fail({UpdateError::Validation,
              tr("The download is larger than the %1 bytes the update announces.").arg(item.length)});
        return;
    }
    if (!result.ok) {
        fail({UpdateError::Download, tr("Corvane could not download the update. %1").arg(result.errorText)});
        return;
    }
    QFile file(folder->filePath(QStringLiteral("update")));
    if (!file.open(QIODevice::ReadOnly)) {
        fail({UpdateError::Download, tr("Corvane could not download the update. %1").arg(file.errorString())});
        return;
    }
    const QByteArray archive = file.read(item.length + 1);
    if (archive.size() != item.length) {
        fail({UpdateError::Validation,
              tr("The download has %1 bytes but the update announces %2 bytes.").arg(archive.size()).arg(item.length)});
        return;
    }
    const Ed25519Verifier::Result verified =
        Ed25519Verifier::verify(archive, item.length, item.edSignature, m_options.publicKeyBase64);
    if (!verified.ok) {
        fail({UpdateError::Signature, verified.message});
        return;
    }
    const UpdateInstaller::Result installed = UpdateInstaller::replaceAppImage(m_options.appImagePath, archive);
    if (!installed.ok) {
        fail({UpdateError::Installation, installed.message});
        return;
    }
    const QString path = m_options.appImagePath;
    auto relaunch = m_options.relaunch;
    m_options.userDriver->showReadyToRelaunch(item, [relaunch, path](bool now) {
        if (now)
            relaunch(path);
    });
    finishSession();
}

void AppcastUpdater::fail(const UpdateError &error)
{
    qCWarning(lcUpdate).noquote() << QStringLiteral("Update failed (%1): %2").arg(error.code).arg(error.message);
    if (m_sessionShown) {
        m_options.userDriver->dismissCheckingForUpdates();
        m_options.userDriver->showUpdaterError(error.message);
    }
    finishSession();
}

void AppcastUpdater::finishSession()
{
    if (m_userDriverDelegate)
        m_userDriverDelegate->willFinishUpdateSession();
    m_found.reset();
    m_userInitiated = false;
    m_sessionShown = false;
    setPhase(Phase::Idle);
    scheduleNextCheck();
    Q_EMIT sessionFinished();
    if (m_userCheckQueued && m_started) {
        m_userCheckQueued = false;
        QTimer::singleShot(0, this, [this] {
            if (m_phase == Phase::Idle)
                beginCycle(true);
            else
                m_userCheckQueued = true;
        });
    }
}
