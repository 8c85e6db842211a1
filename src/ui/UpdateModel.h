// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The updater as the panel shows it: whether a check may start, whether an update waits,
// and the version. The shell hands the panel its implementation.
class UpdateModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool canCheck() const = 0;
    virtual bool updateAvailable() const = 0;
    virtual QString versionString() const = 0;
    virtual void checkForUpdates() = 0;

Q_SIGNALS:
    void canCheckChanged();
    void updateAvailableChanged();
};
