// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// Whether the program starts at login, as the settings menu needs it. The shell hands the
// panel its implementation.
class LoginItemModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isEnabled() const = 0;
    virtual bool needsApproval() const = 0;
    // Re-reads the desktop's status; changes made elsewhere show up here.
    virtual void refresh() = 0;
    virtual void setEnabled(bool enabled) = 0;
    // Where the user enables an entry held back in the desktop's settings.
    virtual void openSystemSettings() = 0;

Q_SIGNALS:
    void isEnabledChanged();
    void needsApprovalChanged();
};
