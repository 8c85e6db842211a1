// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessExitWatcher.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
constexpr int pollIntervalMs = 500;
} // namespace

ProcessExitWatcher::ProcessExitWatcher(pid_t pid, QObject *parent) : QObject(parent), m_pid(pid)
{
#ifdef SYS_pidfd_open
    m_pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
#endif
    if (m_pidfd >= 0) {
        m_notifier = new QSocketNotifier(m_pidfd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ProcessExitWatcher::finish);
        return;
    }
    m_poll.setInterval(pollIntervalMs);
    m_poll.setTimerType(Qt::CoarseTimer);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (!exists(m_pid))
            finish();
    });
    m_poll.start();
    // Gone before we looked.
    if (!exists(m_pid))
        QTimer::singleShot(0, this, &ProcessExitWatcher::finish);
}

ProcessExitWatcher::~ProcessExitWatcher()
{
    if (m_pidfd >= 0)
        ::close(m_pidfd);
}

bool ProcessExitWatcher::exists(pid_t pid)
{
    // Someone else's process answers EPERM: it is there all the same.
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

void ProcessExitWatcher::finish()
{
    if (m_done)
        return;
    m_done = true;
    m_poll.stop();
    if (m_notifier)
        m_notifier->setEnabled(false);
    Q_EMIT exited();
}
