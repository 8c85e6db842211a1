// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LoginItemService.h"

#include "platform/LoginItemBackend.h"
#include "wake/Logging.h"

LoginItemService::LoginItemService(std::unique_ptr<LoginItemBackend> backend, QObject *parent)
    : LoginItemModel(parent),
      m_backend(std::move(backend))
{
    refresh();
}

LoginItemService::~LoginItemService() = default;

void LoginItemService::refresh()
{
    const LoginItemBackend::Status status = m_backend->status();
    const bool enabled = status == LoginItemBackend::Status::enabled;
    const bool approval = status == LoginItemBackend::Status::requiresApproval;
    if (enabled != m_isEnabled) {
        m_isEnabled = enabled;
        Q_EMIT isEnabledChanged();
    }
    if (approval != m_needsApproval) {
        m_needsApproval = approval;
        Q_EMIT needsApprovalChanged();
    }
}

void LoginItemService::setEnabled(bool enabled)
{
    const bool done = enabled ? m_backend->registerItem() : m_backend->unregisterItem();
    if (!done)
        qCWarning(lcAutostart) << "Could not" << (enabled ? "write" : "remove") << "the autostart entry";
    refresh();
    qCDebug(lcAutostart) << "Launch at login asked" << enabled << "; now enabled" << m_isEnabled << "needs approval"
                         << m_needsApproval;
}

void LoginItemService::openSystemSettings()
{
    m_backend->openSettings();
}
