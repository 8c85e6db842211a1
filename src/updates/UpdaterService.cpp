// SPDX-License-Identifier: GPL-3.0-or-later
#include "config.h"
#include "updates/UpdaterService.h"

#include <QNetworkAccessManager>
#include <QPointer>

UpdaterService::UpdaterService(SettingsStore &settings, Clock &clock, QObject *parent)
    : UpdaterService(settings, clock, Options{}, parent)
{}

UpdaterService::UpdaterService(SettingsStore &settings, Clock &clock, Options options, QObject *parent)
    : QObject(parent),
      m_enabled(options.updater.enabled)
{
    // The feed is chosen right before each check, not at launch: most launches check nothing
    // (checks are a day apart), and the first request loads the network and TLS libraries,
    // a tenth of the program's memory, for the rest of the process's life.
    QPointer<UpdaterService> owner(this);
    options.updater.beforeScheduledCheck = [owner](std::function<void()> proceed) {
        if (owner)
            owner->m_feed->selectReachableFeed([proceed = std::move(proceed)](const QUrl &) { proceed(); });
    };
    QNetworkAccessManager *network = options.network;
    if (!network) {
        m_ownNetwork = std::make_unique<QNetworkAccessManager>();
        network = m_ownNetwork.get();
    }
    m_feed = std::make_unique<UpdateFeedSelector>(network, options.feed);
    m_reminder = std::make_unique<GentleUpdateReminder>();
    m_controller = std::make_unique<AppcastUpdater>(network, m_feed.get(), m_reminder.get(), settings, clock,
                                                    std::move(options.updater));

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
    if (!m_enabled)
        return;
    QPointer<AppcastUpdater> controller(m_controller.get());
    m_feed->selectReachableFeed([controller](const QUrl &) {
        // The update windows raise and activate themselves; there is no application to bring
        // forward first.
        if (controller)
            controller->checkForUpdates();
    });
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
