// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <sys/types.h>

class QSocketNotifier;

// Reports once when another process ends: through a pidfd the moment it happens, or, on
// kernels without pidfd_open, by looking for it twice a second.
class ProcessExitWatcher : public QObject {
    Q_OBJECT
public:
    explicit ProcessExitWatcher(pid_t pid, QObject *parent = nullptr);
    ~ProcessExitWatcher() override;

    static bool exists(pid_t pid);

Q_SIGNALS:
    void exited();

private:
    void finish();

    pid_t m_pid;
    int m_pidfd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_poll;
    bool m_done = false;
};
