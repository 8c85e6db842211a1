// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fakes.h"

std::optional<qint64> MemorySettingsStore::integer(const QString &key) const
{
    bool ok = false;
    const qint64 value = values.value(key).toString().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<QString> MemorySettingsStore::string(const QString &key) const
{
    const QVariant value = values.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void MemorySettingsStore::setInteger(const QString &key, qint64 value)
{
    values[key] = value;
    ++writes;
}

void MemorySettingsStore::setString(const QString &key, const QString &value)
{
    values[key] = value;
    ++writes;
}

namespace {
class FakeTicker : public Ticker {
public:
    FakeTicker(std::function<void()> onTick, std::shared_ptr<int> alive,
               std::shared_ptr<std::vector<std::function<void()> *>> live)
        : m_onTick(std::move(onTick)),
          m_alive(std::move(alive)),
          m_live(std::move(live))
    {
        ++*m_alive;
        m_live->push_back(&m_onTick);
    }
    ~FakeTicker() override
    {
        --*m_alive;
        m_live->erase(std::remove(m_live->begin(), m_live->end(), &m_onTick), m_live->end());
    }

private:
    std::function<void()> m_onTick;
    std::shared_ptr<int> m_alive;
    std::shared_ptr<std::vector<std::function<void()> *>> m_live;
};
} // namespace

TickerFactory FakeTickers::factory()
{
    auto alive = m_alive;
    auto created = m_created;
    auto live = m_live;
    return [alive, created, live](std::function<void()> onTick) -> std::unique_ptr<Ticker> {
        ++*created;
        return std::make_unique<FakeTicker>(std::move(onTick), alive, live);
    };
}

void FakeTickers::fire()
{
    // A tick may end the period and destroy the ticker: iterate over a copy.
    const auto live = *m_live;
    for (auto *callback : live) {
        if (std::find(m_live->begin(), m_live->end(), callback) != m_live->end())
            (*callback)();
    }
}
