#pragma once

#include "wake/AssertionMode.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// What actually keeps the machine awake. An id may stand for several tokens (cookies,
// file descriptors, portal requests); the backend keeps them and gives them all back on
// release. Implementations must answer acquire() in bounded time and report success only
// for an inhibition that is really in force.
class PowerBackend {
public:
    using Id = quint32;

    virtual ~PowerBackend() = default;

    virtual std::optional<Id> acquire(AssertionMode mode, const QString &reason) = 0;
    // May be called from any thread, including an exit hook on a non-main thread.
    virtual void release(Id id) = 0;
};
