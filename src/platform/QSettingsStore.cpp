#include "platform/QSettingsStore.h"

QSettingsStore::QSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Corvane"), QStringLiteral("Corvane")))
{
}

QSettingsStore::QSettingsStore(const QString &fileName)
    : m_settings(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{
}

QSettingsStore::~QSettingsStore() = default;

bool QSettingsStore::contains(const QString &key) const
{
    return m_settings->contains(key);
}

std::optional<qint64> QSettingsStore::integer(const QString &key) const
{
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<QString> QSettingsStore::string(const QString &key) const
{
    const QVariant value = m_settings->value(key);
    // A list or other structure under a string key is as good as garbage.
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void QSettingsStore::setInteger(const QString &key, qint64 value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
}

void QSettingsStore::setString(const QString &key, const QString &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
}
