// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/LoginItemModel.h"

#include <memory>

class LoginItemBackend;

// Whether the program starts at login, as the desktop reports it. The two flags are only
// ever derived from the desktop's status, never from what was asked for, so the toggle
// bound to them cannot show a state the system does not have. Main thread only.
class LoginItemService : public LoginItemModel {
    Q_OBJECT

public:
    explicit LoginItemService(std::unique_ptr<LoginItemBackend> backend, QObject *parent = nullptr);
    ~LoginItemService() override;

    bool isEnabled() const override { return m_isEnabled; }
    bool needsApproval() const override { return m_needsApproval; }

    // Re-reads the desktop's status; changes made elsewhere show up here.
    void refresh() override;
    // Registers or unregisters, then reads back what the desktop now reports. A failure
    // is absorbed.
    void setEnabled(bool enabled) override;
    // Where the user approves an entry held back in the desktop's settings.
    void openSystemSettings() override;

private:
    std::unique_ptr<LoginItemBackend> m_backend;
    bool m_isEnabled = false;
    bool m_needsApproval = false;
};
