// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/SettingsStore.h"

#include <QSettings>
#include <QVariantMap>
#include <memory>

// The settings file in the user's config folder (organisation and application "Corvane").
// Only a regular file, or a symlink to one, is ever read or written; anything else at that
// path (a FIFO, a device, a directory, a dangling link) leaves the settings in memory for
// this run, and so does a file too large to be settings (over 1 MB), which is left
// untouched. A value is written only when it differs from what is stored; a failure to save
// is logged once.
class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    // For tests and tools: a specific INI file.
    explicit QSettingsStore(const QString &fileName);
    ~QSettingsStore() override;

    bool contains(const QString &key) const override;
    std::optional<qint64> integer(const QString &key) const override;
    std::optional<QString> string(const QString &key) const override;
    std::optional<QStringList> stringList(const QString &key) const override;
    void setInteger(const QString &key, qint64 value) override;
    void setString(const QString &key, const QString &value) override;
    void setStringList(const QString &key, const QStringList &value) override;

private:
    QVariant value(const QString &key) const;
    void write(const QString &key, const QVariant &value);
    void keepInMemory();

    QString m_fileName;
    // Null once the file is found unfit; m_memory holds the values from then on.
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_memory;
    bool m_reportedUnsaved = false;
};
