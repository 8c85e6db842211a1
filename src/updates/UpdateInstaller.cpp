// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/UpdateInstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

bool UpdateInstaller::canReplace(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    return file.isFile() && file.isWritable() && folder.isDir() && folder.isWritable();
}

UpdateInstaller::Result UpdateInstaller::replaceAppImage(const QString &path, const QByteArray &image)
{
    Result result;
    if (!canReplace(path)) {
        result.message = tr("Corvane cannot replace %1: the file or its folder is not writable.").arg(path);
        return result;
    }
    const QFileInfo info(path);
    const QString target = info.absoluteFilePath();

    QTemporaryFile staged(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!staged.open() || staged.write(image) != image.size() || !staged.flush() || ::fsync(staged.handle()) != 0) {
        result.message = tr("Corvane could not write the new version next to %1.").arg(target);
        return result;
    }
    staged.setPermissions(info.permissions() | QFile::ExeOwner | QFile::ExeUser | QFile::ReadOwner | QFile::WriteOwner);
    staged.close();

    const QString backup = target + QStringLiteral(".bak");
    QFile::remove(backup);
    // A hard link keeps the old image without a moment where target is missing.
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(backup).constData()) != 0
        && !QFile::copy(target, backup)) {
        result.message = tr("Corvane could not keep a backup of %1, so it left it unchanged.").arg(target);
        return result;
    }
    if (::rename(QFile::encodeName(staged.fileName()).constData(), QFile::encodeName(target).constData()) != 0) {
        result.message = tr("Corvane could not move the new version into place.");
        return result;
    }
    staged.setAutoRemove(false);
    result.ok = true;
    result.backupPath = backup;
    return result;
}
