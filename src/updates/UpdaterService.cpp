// SPDX-License-Identifier: GPL-3.0-or-later
#include "config.h"
#include "updates/UpdaterService.h"

#include <QPointer>

UpdaterService::UpdaterService(SettingsStore &settings, Clock &clock, QObject *parent)
    : UpdaterService(settings, clock, Options(), parent)
{}

UpdaterService::UpdaterService(SettingsStore &settings, Clock &clock, Options options, QObject *parent)
    : QObject(parent),
      m_enabled(options.updater.enabled)
{
    // Loading the network and TLS libraries would cost this process a sixth of its memory
    // for the rest of the day; the helper loads them for one check or download and ends.
    if (!options.updater.startHelper) {
        const QString program =
            options.helperProgram.isEmpty() ? UpdateCheckProcess::installedHelper() : options.helperProgram;
        options.updater.startHelper = [program](const UpdateCheckProcess::Request &request, QObject *owner) {
            return new UpdateCheckProcess(program, request, owner);
        };
    }
    m_reminder = std::make_unique<GentleUpdateReminder>();
    // No feed choice here: the helper makes it afresh for every check.
    m_controller = std::make_unique<AppcastUpdater>(m_reminder.get(), settings, clock, std::move(options.updater));

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

    // From the event loop, so nothing changes while the caller is still constructing.
    QPointer<AppcastUpdater> controller(m_controller.get());
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
