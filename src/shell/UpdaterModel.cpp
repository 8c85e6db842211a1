// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/UpdaterModel.h"

#include "updates/UpdaterService.h"

UpdaterModel::UpdaterModel(UpdaterService &updater, QObject *parent) : UpdateModel(parent), m_updater(updater)
{
    connect(&updater, &UpdaterService::canCheckChanged, this, &UpdateModel::canCheckChanged);
    connect(&updater, &UpdaterService::updateAvailableChanged, this, &UpdateModel::updateAvailableChanged);
}

bool UpdaterModel::canCheck() const
{
    return m_updater.canCheck();
}

bool UpdaterModel::updateAvailable() const
{
    return m_updater.updateAvailable();
}

QString UpdaterModel::versionString() const
{
    return UpdaterService::versionString();
}

void UpdaterModel::checkForUpdates()
{
    m_updater.checkForUpdates();
}
