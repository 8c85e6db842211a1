// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/DelayedCall.h"

#include <algorithm>
#include <memory>
#include <vector>

// Delayed calls that run only when the test moves time forward.
class ManualScheduler {
public:
    DelayedCallScheduler scheduler()
    {
        return [this](int delayMs, std::function<void()> call) -> DelayedCallHandle {
            auto entry = std::make_shared<Entry>(Entry{m_now + delayMs, std::move(call)});
            m_entries.push_back(entry);
            return entry;
        };
    }

    // Runs, in order, every call that is due by now + ms and whose handle is still held.
    void advance(int ms)
    {
        m_now += ms;
        for (;;) {
            std::shared_ptr<Entry> next;
            for (auto &weak : m_entries) {
                auto entry = weak.lock();
                if (entry && !entry->done && entry->due <= m_now && (!next || entry->due < next->due))
                    next = entry;
            }
            if (!next)
                break;
            next->done = true;
            next->call();
        }
    }

    int pending() const
    {
        return int(std::count_if(m_entries.begin(), m_entries.end(), [](const auto &weak) {
            auto entry = weak.lock();
            return entry && !entry->done;
        }));
    }

private:
    struct Entry {
        int due;
        std::function<void()> call;
        bool done = false;
    };
    int m_now = 0;
    std::vector<std::weak_ptr<Entry>> m_entries;
};
