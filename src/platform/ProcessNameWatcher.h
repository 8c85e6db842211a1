// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/Clock.h"
#include "wake/TriggerSource.h"

#include <QStringList>
#include <chrono>
#include <memory>
#include <optional>
#include <sys/types.h>

class ProcessExitWatcher;

// Programs the user named, by the executable's name: active while one of them runs. While
// none runs it looks through /proc every five seconds; once one runs it waits for that
// process's exit (a pidfd) and looks again at once, so a program that ends is noticed at
// that moment and a running one costs no wake-ups. With no names it does nothing at all.
class ProcessNameWatcher : public TriggerSource {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds lookInterval{5};

    struct Match {
        QString name;
        pid_t pid = 0;
    };

    ProcessNameWatcher(Clock &clock, const QStringList &names, QObject *parent = nullptr);
    ~ProcessNameWatcher() override;

    void setNames(const QStringList &names);

    bool isActive() const override { return m_found.has_value(); }
    // "blender runs".
    QString words() const override;
    // The panel's mode.
    std::optional<AssertionMode> wantedMode() const override { return std::nullopt; }

    // One look through the process table: the earliest of `names` that runs, matched against
    // the kernel's name of each process (cut to 15 bytes) and, for longer names, the
    // executable's or the command's file name. A process gone mid-look is skipped.
    static std::optional<Match> findRunning(const QStringList &names);

private:
    void look();
    void setFound(const std::optional<Match> &found);

    Clock &m_clock;
    QStringList m_names;
    std::optional<Match> m_found;
    Clock::Handle m_poll;
    std::unique_ptr<ProcessExitWatcher> m_exit;
};
