// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QSettingsStore.h"

#include "wake/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>
#include <utility>

namespace {
// QSettings reads the whole file into memory at once and writes it whole on every change,
// so a file far beyond what the program ever stores is not read at all.
constexpr qint64 maxFileBytes = 1024 * 1024;

// Whether QSettings may open `path`: nothing there yet (it creates a regular file), a
// regular file, or a symlink that ends in one. Opening a FIFO would block for ever, and
// saving over a device or through a dangling link would put our file where none belongs.
bool isSafeToOpen(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0)
        return true;
    if (S_ISLNK(info.st_mode) && ::stat(native.constData(), &info) != 0)
        return false;
    return S_ISREG(info.st_mode);
}
} // namespace

QSettingsStore::QSettingsStore()
    : QSettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                     + QStringLiteral("/Corvane/Corvane.conf"))
{}

QSettingsStore::QSettingsStore(const QString &fileName) : m_fileName(fileName)
{
    if (!isSafeToOpen(fileName))
        qCWarning(lcSettings, "%s is not a regular file; settings stay in memory for this run.",
                  qUtf8Printable(fileName));
    else if (const qint64 size = QFileInfo(fileName).size(); size > maxFileBytes)
        qCWarning(lcSettings,
                  "%s is %lld bytes, far more than settings take; it is left as it is and the defaults are "
                  "used for this run.",
                  qUtf8Printable(fileName), size);
    else
        m_settings = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
}

QSettingsStore::~QSettingsStore() = default;

QVariant QSettingsStore::value(const QString &key) const
{
    return m_settings ? m_settings->value(key) : m_memory.value(key);
}

bool QSettingsStore::contains(const QString &key) const
{
    return m_settings ? m_settings->contains(key) : m_memory.contains(key);
}

std::optional<qint64> QSettingsStore::integer(const QString &key) const
{
    const QVariant stored = value(key);
    if (!stored.isValid())
        return std::nullopt;
    bool ok = false;
    const qint64 number = stored.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<QString> QSettingsStore::string(const QString &key) const
{
    const QVariant stored = value(key);
    // A list or other structure under a string key is as good as garbage.
    if (!stored.isValid() || stored.typeId() != QMetaType::QString)
        return std::nullopt;
    return stored.toString();
}

std::optional<QStringList> QSettingsStore::stringList(const QString &key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::QString)
        return QStringList{stored.toString()};
    if (stored.typeId() != QMetaType::QStringList)
        return std::nullopt;
    return stored.toStringList();
}

// Saving rewrites the whole file, so a value that is already there is not saved again.
void QSettingsStore::setInteger(const QString &key, qint64 value)
{
    if (integer(key) != value)
        write(key, value);
}

void QSettingsStore::setString(const QString &key, const QString &value)
{
    if (string(key) != value)
        write(key, value);
}

void QSettingsStore::setStringList(const QString &key, const QStringList &value)
{
    if (stringList(key) != value)
        write(key, value);
}

void QSettingsStore::write(const QString &key, const QVariant &value)
{
    // Something else may have been put in the file's place since it was read.
    if (m_settings && !isSafeToOpen(m_fileName))
        keepInMemory();
    if (!m_settings) {
        m_memory.insert(key, value);
        return;
    }
    m_settings->setValue(key, value);
    m_settings->sync();
    // Said once: every later change would fail the same way.
    if (m_settings->status() == QSettings::AccessError && !std::exchange(m_reportedUnsaved, true))
        qCWarning(lcSettings, "Cannot save the settings to %s; changes last only for this run.",
                  qUtf8Printable(m_fileName));
}

void QSettingsStore::keepInMemory()
{
    const QStringList keys = m_settings->allKeys();
    for (const QString &key : keys)
        m_memory.insert(key, m_settings->value(key));
    // Nothing is pending, so letting QSettings go touches no file.
    m_settings.reset();
    qCWarning(lcSettings, "%s is no longer a regular file; settings stay in memory for this run.",
              qUtf8Printable(m_fileName));
}
