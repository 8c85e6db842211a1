// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/ContinuousClock.h"
#include "wake/SettingsStore.h"
#include "wake/Ticker.h"

#include <QDateTime>
#include <QMap>
#include <QVariant>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// Settings held in memory, with a way to plant garbage.
class MemorySettingsStore : public SettingsStore {
public:
    QMap<QString, QVariant> values;
    int writes = 0;

    bool contains(const QString &key) const override { return values.contains(key); }
    std::optional<qint64> integer(const QString &key) const override;
    std::optional<QString> string(const QString &key) const override;
    void setInteger(const QString &key, qint64 value) override;
    void setString(const QString &key, const QString &value) override;
};

// A clock the test moves by hand.
class FakeClock : public ContinuousClock {
public:
    std::chrono::nanoseconds current{std::chrono::hours(1)};
    QDateTime wall = QDateTime(QDate(2026, 12, 6), QTime(14, 0));

    std::chrono::nanoseconds now() const override { return current; }
    QDateTime wallNow() const override { return wall; }
    void advance(std::chrono::nanoseconds by)
    {
        current += by;
        wall = wall.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(by).count());
    }
};

// Tickers that fire only when the test says so; counts how many exist.
class FakeTickers {
public:
    TickerFactory factory();
    int alive() const { return *m_alive; }
    int created() const { return *m_created; }
    // Fires every live ticker once.
    void fire();

private:
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    std::shared_ptr<int> m_created = std::make_shared<int>(0);
    std::shared_ptr<std::vector<std::function<void()> *>> m_live =
        std::make_shared<std::vector<std::function<void()> *>>();
};
