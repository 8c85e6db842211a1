#include "wake/PowerAssertionManager.h"

PowerAssertionManager::PowerAssertionManager(PowerBackend &backend) : m_backend(backend) {}

PowerAssertionManager::~PowerAssertionManager() = default;

bool PowerAssertionManager::acquire(AssertionMode mode, const QString &reason)
{
    std::lock_guard guard(m_lock);
    if (m_held && m_held->mode() == mode)
        return true;
    std::unique_ptr<PowerAssertion> fresh = PowerAssertion::create(m_backend, mode, reason);
    if (!fresh)
        return false;
    std::unique_ptr<PowerAssertion> previous = std::exchange(m_held, std::move(fresh));
    previous.reset();
    return true;
}

void PowerAssertionManager::release()
{
    std::lock_guard guard(m_lock);
    m_held.reset();
}

std::optional<AssertionMode> PowerAssertionManager::heldMode() const
{
    std::lock_guard guard(m_lock);
    if (!m_held)
        return std::nullopt;
    return m_held->mode();
}
