// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessNameWatcher.h"

#include "platform/ProcessExitWatcher.h"

#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
// The kernel keeps a process's name in 16 bytes, the last a NUL.
constexpr qsizetype commLength = 15;

QByteArray readSmall(const QByteArray &path, qsizetype limit)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray data(limit, Qt::Uninitialized);
    const ssize_t n = ::read(fd, data.data(), size_t(limit));
    ::close(fd);
    data.truncate(n > 0 ? qsizetype(n) : 0);
    return data;
}

// The file name of the executable, or else of the command's first word: a process of
// another user hides its executable from us but not its command line.
QByteArray fullName(const QByteArray &pidDirectory)
{
    char target[4096];
    const ssize_t n = ::readlink((pidDirectory + "/exe").constData(), target, sizeof target - 1);
    if (n > 0) {
        QByteArray path(target, qsizetype(n));
        if (path.endsWith(" (deleted)"))
            path.chop(10);
        return path.mid(path.lastIndexOf('/') + 1);
    }
    const QByteArray command = readSmall(pidDirectory + "/cmdline", 4096);
    const QByteArray first = command.left(command.indexOf('\0'));
    return first.mid(first.lastIndexOf('/') + 1);
}
} // namespace

ProcessNameWatcher::ProcessNameWatcher(Clock &clock, const QStringList &names, QObject *parent)
    : TriggerSource(parent),
      m_clock(clock)
{
    setNames(names);
}

ProcessNameWatcher::~ProcessNameWatcher() = default;

void ProcessNameWatcher::setNames(const QStringList &names)
{
    m_names = names;
    m_exit.reset();
    m_poll.reset();
    if (m_names.isEmpty()) {
        setFound(std::nullopt);
        return;
    }
    look();
}

QString ProcessNameWatcher::words() const
{
    return m_found ? tr("%1 runs").arg(m_found->name) : QString();
}

void ProcessNameWatcher::look()
{
    m_exit.reset();
    const std::optional<Match> found = findRunning(m_names);
    setFound(found);
    if (found) {
        m_poll.reset();
        m_exit = std::make_unique<ProcessExitWatcher>(found->pid);
        connect(m_exit.get(), &ProcessExitWatcher::exited, this, [this] {
            // Not from inside the watcher's own signal: look() replaces it.
            QMetaObject::invokeMethod(this, &ProcessNameWatcher::look, Qt::QueuedConnection);
        });
        return;
    }
    if (!m_poll) {
        QPointer<ProcessNameWatcher> self(this);
        m_poll = m_clock.every(lookInterval, [self] {
            if (self)
                self->look();
        });
    }
}

void ProcessNameWatcher::setFound(const std::optional<Match> &found)
{
    const QString before = words();
    m_found = found;
    if (words() != before)
        Q_EMIT changed();
}

std::optional<ProcessNameWatcher::Match> ProcessNameWatcher::findRunning(const QStringList &names)
{
    // Each wanted name by the kernel's cut of it, with its place in the list.
    QHash<QByteArray, QList<int>> byComm;
    QList<QByteArray> encoded;
    encoded.reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        encoded.append(names.at(i).toUtf8());
        if (!encoded.last().isEmpty())
            byComm[encoded.last().left(commLength)].append(i);
    }
    if (byComm.isEmpty())
        return std::nullopt;

    DIR *proc = ::opendir("/proc");
    if (!proc)
        return std::nullopt;
    int best = -1;
    pid_t bestPid = 0;
    while (const dirent *entry = ::readdir(proc)) {
        const char *name = entry->d_name;
        if (name[0] < '1' || name[0] > '9')
            continue;
        const QByteArray directory = QByteArray("/proc/") + name;
        QByteArray comm = readSmall(directory + "/comm", 64);
        if (comm.endsWith('\n'))
            comm.chop(1);
        const auto it = byComm.constFind(comm);
        if (it == byComm.constEnd())
            continue;
        QByteArray full;
        for (const int index : *it) {
            if (best >= 0 && index >= best)
                break;
            const QByteArray &wanted = encoded.at(index);
            if (wanted.size() > commLength) {
                if (full.isNull())
                    full = fullName(directory);
                if (full != wanted)
                    continue;
            }
            best = index;
            bestPid = pid_t(QByteArray(name).toInt());
            break;
        }
        if (best == 0)
            break;
    }
    ::closedir(proc);
    if (best < 0)
        return std::nullopt;
    return Match{names.at(best), bestPid};
}
