#pragma once

#include "wake/PowerAssertion.h"

#include <memory>
#include <mutex>
#include <optional>

// The one holder of the process's inhibition: at most one is held at any time. The lock
// guards `held` and is taken across the backend calls only, so the exit hook may release
// from whichever thread calls exit().
class PowerAssertionManager {
public:
    explicit PowerAssertionManager(PowerBackend &backend);
    ~PowerAssertionManager();

    // Keeps a held assertion of the same mode (and its reason); otherwise creates the new
    // one first and only then releases the old, so a mode switch leaves no gap.
    bool acquire(AssertionMode mode, const QString &reason);
    void release();

    std::optional<AssertionMode> heldMode() const;

private:
    PowerBackend &m_backend;
    mutable std::mutex m_lock;
    std::unique_ptr<PowerAssertion> m_held;
};
