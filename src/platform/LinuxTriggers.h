// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"

#include <QObject>
#include <memory>

class Clock;
class CorvaneTimerService;
class MprisWatcher;
class PowerSource;
class ProcessNameWatcher;
class RemoteSessionWatcher;
class TriggerSettings;

// The triggers on this desktop, as the user switched them: each watcher exists only while
// its switch is on (the program list: while it holds a name), and hands what it sees to
// the timer service, which holds the one inhibition. Main thread only.
class LinuxTriggers : public QObject {
    Q_OBJECT
public:
    struct Parts {
        BusConnections &buses;
        Clock &clock;
        TriggerSettings &settings;
        PowerSource &power;
        CorvaneTimerService &timer;
    };
    explicit LinuxTriggers(Parts parts, QObject *parent = nullptr);
    ~LinuxTriggers() override;

    bool watchesMedia() const { return m_media != nullptr; }
    bool watchesProcesses() const { return m_processes != nullptr; }
    bool watchesRemote() const { return m_remote != nullptr; }

private:
    void follow();

    Parts m_parts;
    std::unique_ptr<MprisWatcher> m_media;
    std::unique_ptr<ProcessNameWatcher> m_processes;
    std::unique_ptr<RemoteSessionWatcher> m_remote;
};
