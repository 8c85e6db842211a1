// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcRunningPrograms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a process runs: the executable's file name, which is not cut at 15 bytes as the
// command name is. A program replaced on disk while it runs (an upgrade) reads
// "name (deleted)", and is still the same program to the user.
QString executableName(const QString &processDir)
{
    QString target = QFile::symLinkTarget(processDir + QStringLiteral("/exe"));
    static const QString deleted = QStringLiteral(" (deleted)");
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    if (!target.isEmpty())
        return QFileInfo(target).fileName();
    // Unreadable for processes that made themselves undumpable; the command name is still
    // there. Kernel threads have no executable either, nor a command line: they are no
    // program to pick (they show up when running as root).
    QFile cmdline(processDir + QStringLiteral("/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly) || cmdline.read(1).isEmpty())
        return {};
    QFile comm(processDir + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(comm.readAll()).chopped(1);
}

} // namespace

QStringList ProcRunningPrograms::names() const
{
    const uid_t me = getuid();
    const QString root = QStringLiteral("/proc/");
    QStringList out;
    const QStringList pids = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool number = false;
        pid.toUInt(&number);
        if (!number)
            continue;
        // A process's folder belongs to the user it runs as. It may be gone by now: then it
        // is simply not listed.
        struct stat st {};
        if (::stat(QFile::encodeName(root + pid).constData(), &st) != 0 || st.st_uid != me)
            continue;
        const QString name = executableName(root + pid);
        if (!name.isEmpty())
            out.append(name);
    }
    // Case aside, as a person reads a list; then by case, so that the order is always the same.
    std::sort(out.begin(), out.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}
