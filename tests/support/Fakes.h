// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/SettingsStore.h"

#include <QMap>
#include <QVariant>

// Settings held in memory, with a way to plant garbage.
class MemorySettingsStore : public SettingsStore {
public:
    QMap<QString, QVariant> values;
    int writes = 0;

    bool contains(const QString &key) const override { return values.contains(key); }
    std::optional<qint64> integer(const QString &key) const override;
    std::optional<QString> string(const QString &key) const override;
    std::optional<QStringList> stringList(const QString &key) const override;
    void setInteger(const QString &key, qint64 value) override;
    void setString(const QString &key, const QString &value) override;
    void setStringList(const QString &key, const QStringList &value) override;
};
