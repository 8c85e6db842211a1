// SPDX-License-Identifier: GPL-3.0-or-later
#include "config.h"
#include "updates/UpdaterService.h"

#include "updates/UpdateCheckProcess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QPointer>

namespace {
UpdaterService::Options programOptions()
{
    UpdaterService::Options options;
    options.checkProgram = QCoreApplication::applicationFilePath();
    return options;
}
} // namespace

UpdaterService::UpdaterService(SettingsStore &settings, Clock &clock, QObject *parent)
    : UpdaterService(settings, clock, programOptions(), parent)
{}

UpdaterService::UpdaterService(SettingsStore &settings, Clock &clock, Options options, QObject *parent)
    : QObject(parent),
      m_enabled(options.updater.enabled)
{
    // The first request loads the network and TLS libraries, a sixth of the program's
    // memory, and nothing gives them back; the check process chooses the feed before each
    // check and ends with it, so this process stays as small as before.
    UpdateCheckProcess::Request request;
    request.primary = options.feed.primary;
    request.fallback = options.feed.fallback;
    request.probeTimeout = options.feed.probeTimeout;
    request.allowInsecureLoopback = options.feed.allowInsecureLoopback;
    request.appcastTimeout = options.updater.appcastTimeout;
    request.maxAppcastBytes = options.updater.maxAppcastBytes;
    options.updater.startCheckProcess = [program = options.checkProgram, request](QObject *owner) {
        return new UpdateCheckProcess(program, request, owner);
    };
    QNetworkAccessManager *network = options.network;
    if (!network) {
        m_ownNetwork = std::make_unique<QNetworkAccessManager>();
        network = m_ownNetwork.get();
    }
    m_reminder = std::make_unique<GentleUpdateReminder>();
    // No feed choice here: the check process makes it afresh for every check.
    m_controller =
        std::make_unique<AppcastUpdater>(network, m_reminder.get(), settings, clock, std::move(options.updater));

    QPointer<UpdaterService> self(this);
    m_reminder->onChange = [self](bool waiting) {
        if (self)
            self->setUpdateAvailable(waiting);
    };

    // The flag follows the updater one event-loop pass later, the first value included, so
    // nothing changes while the caller is still constructing.
    connect(m_controller.get(), &AppcastUpdater::canCheckForUpdatesChanged, this, &UpdaterService::setCanCheck,
            Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        this, [this] { setCanCheck(m_controller->canCheckForUpdates()); }, Qt::QueuedConnection);

    // A build without self-update stays off the network altogether.
    if (!m_enabled)
        return;

    // Between checks, a day apart, the network layer's own thread would otherwise keep
    // waking to expire idle connections: let it go once nothing is under way.
    QPointer<QNetworkAccessManager> net(network);
    QPointer<AppcastUpdater> controller(m_controller.get());
    auto rest = [net, controller] {
        if (net && controller && !controller->sessionInProgress())
            net->clearConnectionCache();
    };
    connect(m_controller.get(), &AppcastUpdater::sessionFinished, this, rest, Qt::QueuedConnection);

    // From the event loop, so nothing changes while the caller is still constructing.
    QMetaObject::invokeMethod(
        this,
        [controller] {
            if (controller)
                controller->startUpdater();
        },
        Qt::QueuedConnection);
}

UpdaterService::~UpdaterService()
{
    m_reminder->onChange = nullptr;
}

void UpdaterService::checkForUpdates()
{
    // The update windows raise and activate themselves; there is no application to bring
    // forward first.
    if (m_enabled)
        m_controller->checkForUpdates();
}

QString UpdaterService::versionString()
{
    return versionString(CORVANE_VERSION, CORVANE_BUILD_NUMBER);
}

QString UpdaterService::versionString(const char *shortVersion, const char *build)
{
    const auto text = [](const char *value) {
        return value && *value ? QString::fromUtf8(value) : QStringLiteral("?");
    };
    return QStringLiteral("%1 (%2)").arg(text(shortVersion), text(build));
}

void UpdaterService::setCanCheck(bool value)
{
    if (m_canCheck == value)
        return;
    m_canCheck = value;
    Q_EMIT canCheckChanged(value);
}

void UpdaterService::setUpdateAvailable(bool value)
{
    if (m_updateAvailable == value)
        return;
    m_updateAvailable = value;
    Q_EMIT updateAvailableChanged(value);
}
