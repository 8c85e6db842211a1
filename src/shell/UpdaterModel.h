// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/UpdateModel.h"

class UpdaterService;

// The updater service seen through what the panel needs of it.
class UpdaterModel : public UpdateModel {
    Q_OBJECT
public:
    explicit UpdaterModel(UpdaterService &updater, QObject *parent = nullptr);

    bool canCheck() const override;
    bool updateAvailable() const override;
    QString versionString() const override;
    void checkForUpdates() override;

private:
    UpdaterService &m_updater;
};
