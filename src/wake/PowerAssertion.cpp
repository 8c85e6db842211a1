#include "wake/PowerAssertion.h"

std::unique_ptr<PowerAssertion> PowerAssertion::create(PowerBackend &backend, AssertionMode mode,
                                                       const QString &reason)
{
    const std::optional<PowerBackend::Id> id = backend.acquire(mode, reason);
    if (!id)
        return nullptr;
    return std::unique_ptr<PowerAssertion>(new PowerAssertion(backend, *id, mode));
}

PowerAssertion::PowerAssertion(PowerBackend &backend, PowerBackend::Id id, AssertionMode mode)
    : m_backend(backend), m_id(id), m_mode(mode)
{
}

PowerAssertion::~PowerAssertion()
{
    m_backend.release(m_id);
}
