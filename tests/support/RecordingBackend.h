#pragma once

#include "wake/PowerBackend.h"

#include <QStringList>
#include <atomic>
#include <mutex>
#include <set>

// A backend that records every call ("acquire displayAndSystem <reason>", "release 3") and
// refuses on demand.
class RecordingBackend : public PowerBackend {
public:
    std::optional<Id> acquire(AssertionMode mode, const QString &reason) override
    {
        std::lock_guard guard(lock);
        log << QStringLiteral("acquire %1 %2").arg(AssertionModes::rawValue(mode), reason);
        if (refuse)
            return std::nullopt;
        const Id id = nextId++;
        live.insert(id);
        return id;
    }
    void release(Id id) override
    {
        std::lock_guard guard(lock);
        log << QStringLiteral("release %1").arg(id);
        live.erase(id);
        ++releases;
    }

    std::mutex lock;
    QStringList log;
    std::set<Id> live;
    std::atomic<int> releases{0};
    bool refuse = false;
    Id nextId = 1;
};
