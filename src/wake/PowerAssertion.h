#pragma once

#include "wake/PowerBackend.h"
#include "wake/AssertionMode.h"

#include <memory>

// Owns exactly one live inhibition for as long as it exists; destroying it gives the
// inhibition back, once.
class PowerAssertion {
public:
    // Absent when the backend refuses: nothing is then left to release.
    static std::unique_ptr<PowerAssertion> create(PowerBackend &backend, AssertionMode mode,
                                                  const QString &reason);
    ~PowerAssertion();

    PowerAssertion(const PowerAssertion &) = delete;
    PowerAssertion &operator=(const PowerAssertion &) = delete;

    PowerBackend::Id id() const { return m_id; }
    AssertionMode mode() const { return m_mode; }

private:
    PowerAssertion(PowerBackend &backend, PowerBackend::Id id, AssertionMode mode);

    PowerBackend &m_backend;
    const PowerBackend::Id m_id;
    const AssertionMode m_mode;
};
