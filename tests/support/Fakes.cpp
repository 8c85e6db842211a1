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

std::optional<QStringList> MemorySettingsStore::stringList(const QString &key) const
{
    const QVariant value = values.value(key);
    if (value.typeId() == QMetaType::QString)
        return QStringList{value.toString()};
    if (value.typeId() != QMetaType::QStringList)
        return std::nullopt;
    return value.toStringList();
}

void MemorySettingsStore::setStringList(const QString &key, const QStringList &value)
{
    values[key] = value;
    ++writes;
}
