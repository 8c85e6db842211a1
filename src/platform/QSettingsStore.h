#pragma once

#include "wake/SettingsStore.h"

#include <QSettings>
#include <memory>

// The settings file in the user's config folder (organisation and application "Corvane").
class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    // For tests and tools: a specific INI file.
    explicit QSettingsStore(const QString &fileName);
    ~QSettingsStore() override;


    bool contains(const QString &key) const override;
    std::optional<qint64> integer(const QString &key) const override;
    std::optional<QString> string(const QString &key) const override;
    void setInteger(const QString &key, qint64 value) override;
    void setString(const QString &key, const QString &value) override;

private:
    std::unique_ptr<QSettings> m_settings;
};
