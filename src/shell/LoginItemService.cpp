#include "shell/LoginItemService.h"

#include "platform/LoginItemBackend.h"

LoginItemService::LoginItemService(std::unique_ptr<LoginItemBackend> backend, QObject *parent)
    : LoginItemModel(parent), m_backend(std::move(backend))
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
    if (enabled)
        m_backend->registerItem();
    else
        m_backend->unregisterItem();
    refresh();
}

void LoginItemService::openSystemSettings()
{
    m_backend->openSettings();
}
