// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/UpdateUserDriver.h"

#include <QCoreApplication>
#include <QPointer>

class QDialog;
class QMessageBox;

// The update windows: small, non-modal, and brought to the front, because Corvane normally
// has no window of its own that could hold the focus.
class QtUserDriver : public UpdateUserDriver {
    Q_DECLARE_TR_FUNCTIONS(QtUserDriver)

public:
    QtUserDriver();
    ~QtUserDriver() override;

    void showCheckingForUpdates(std::function<void()> cancel) override;
    void dismissCheckingForUpdates() override;
    void showUpToDate(const QString &currentVersion) override;
    void showUpdaterError(const QString &message) override;
    void showUpdateFound(const AppcastItem &update, const QString &currentVersion,
                         std::function<void(Choice)> reply) override;
    void showDownloading(const AppcastItem &update) override;
    void showReadyToRelaunch(const AppcastItem &update, std::function<void(bool)> reply) override;

private:
    void present(QDialog *dialog);
    void closeSessionWindows();

    QPointer<QDialog> m_progress;
    QPointer<QDialog> m_current;
};
