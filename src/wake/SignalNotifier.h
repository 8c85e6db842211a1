// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <initializer_list>

class QSocketNotifier;

// Delivers Unix signals as a Qt signal on the main thread. The asynchronous handler does
// nothing but write the signal's number into a pipe, so no program code ever runs in
// signal context; the main loop reads the pipe.
class SignalNotifier : public QObject {
    Q_OBJECT
public:
    // The process's one notifier (signal dispositions are process-wide), created on first
    // use on the main thread and kept until the process ends.
    static SignalNotifier &shared();

    // First thing in main(), before any object exists: from now on `signalNumbers` only
    // write into the pipe, so one arriving in the first milliseconds waits there for the
    // termination guard instead of killing the process with the inhibition half taken.
    static void catchEarly(std::initializer_list<int> signalNumbers);

    // Takes over `signalNumber` from now on. Watching a signal twice changes nothing and
    // answers false.
    bool watch(int signalNumber);

Q_SIGNALS:
    void received(int signalNumber);

private:
    SignalNotifier();
    void drain();
    static bool takeOver(int signalNumber);

    QSocketNotifier *m_notifier = nullptr;
    quint64 m_watchedMask = 0;
};
