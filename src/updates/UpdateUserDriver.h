// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/AppcastItem.h"

#include <QString>
#include <functional>

// The windows of an update session. The updater calls these on the main thread; replies
// come back through the callbacks, at most once each.
class UpdateUserDriver {
public:
    enum class Choice { Install, RemindLater, Skip };

    virtual ~UpdateUserDriver() = default;
    virtual void showCheckingForUpdates(std::function<void()> cancel) = 0;
    virtual void dismissCheckingForUpdates() = 0;
    virtual void showUpToDate(const QString &currentVersion) = 0;
    virtual void showUpdaterError(const QString &message) = 0;
    virtual void showUpdateFound(const AppcastItem &update, const QString &currentVersion,
                                 std::function<void(Choice)> reply) = 0;
    virtual void showDownloading(const AppcastItem &update) = 0;
    // The new version is in place; reply true to restart into it now.
    virtual void showReadyToRelaunch(const AppcastItem &update, std::function<void(bool)> reply) = 0;
};
