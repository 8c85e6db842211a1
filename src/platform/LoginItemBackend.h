// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The desktop's register of programs started at login, for this program only.
class LoginItemBackend {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };

    virtual ~LoginItemBackend() = default;

    virtual Status status() const = 0;
    // Both answer whether they succeeded; callers read status() again either way.
    virtual bool registerItem() = 0;
    virtual bool unregisterItem() = 0;
    // Opens the desktop's settings where the user manages programs started at login.
    virtual void openSettings() = 0;
};
