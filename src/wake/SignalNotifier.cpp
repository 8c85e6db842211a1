// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/SignalNotifier.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeEnds[2] = {-1, -1};

bool ensurePipe()
{
    return pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) == 0;
}

extern "C" void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe means the main loop is already behind on this very kind of news.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

SignalNotifier &SignalNotifier::shared()
{
    static SignalNotifier *const instance = new SignalNotifier();
    return *instance;
}

void SignalNotifier::catchEarly(std::initializer_list<int> signalNumbers)
{
    if (!ensurePipe())
        return;
    for (const int signalNumber : signalNumbers)
        takeOver(signalNumber);
}

SignalNotifier::SignalNotifier()
{
    if (!ensurePipe())
        return;
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalNotifier::drain);
}

bool SignalNotifier::watch(int signalNumber)
{
    if (signalNumber <= 0 || signalNumber >= 64 || (m_watchedMask & (quint64(1) << signalNumber)))
        return false;
    if (!takeOver(signalNumber))
        return false;
    m_watchedMask |= quint64(1) << signalNumber;
    return true;
}

bool SignalNotifier::takeOver(int signalNumber)
{
    if (pipeEnds[1] < 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(signalNumber, &action, nullptr) != 0)
        return false;
    // A signal blocked by an inherited mask would never reach the handler.
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signalNumber);
    ::pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    return true;
}

void SignalNotifier::drain()
{
    unsigned char bytes[64];
    for (;;) {
        const ssize_t count = ::read(pipeEnds[0], bytes, sizeof bytes);
        if (count <= 0)
            return;
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT received(bytes[i]);
    }
}
