// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

// The user's preferences: a small key-value store of integers, strings and string lists. Reading never
// fails: a value that is missing or garbled reads as absent, and the caller falls back to
// its default.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual bool contains(const QString &key) const = 0;
    // Absent when the key holds nothing or something that is not a whole number.
    virtual std::optional<qint64> integer(const QString &key) const = 0;
    virtual std::optional<QString> string(const QString &key) const = 0;
    // A single string reads as a list of one.
    virtual std::optional<QStringList> stringList(const QString &key) const = 0;
    virtual void setInteger(const QString &key, qint64 value) = 0;
    virtual void setString(const QString &key, const QString &value) = 0;
    virtual void setStringList(const QString &key, const QStringList &value) = 0;
};
