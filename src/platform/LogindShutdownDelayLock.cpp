// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LogindShutdownDelayLock.h"

#include "platform/ServiceAppearance.h"
#include "wake/SystemEvents.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QPointer>

#include <fcntl.h>
#include <unistd.h>

namespace {
// Short: logind answers at once or not at all, and this must never hold up anything.
constexpr int callTimeoutMs = 2000;
} // namespace

LogindShutdownDelayLock::LogindShutdownDelayLock(SystemEvents &events, BusConnections &buses, QObject *parent)
    : QObject(parent),
      m_buses(buses)
{
    // A logind that restarted, or one on a replaced system bus, knows nothing of the lock
    // the old one handed out.
    auto *appearance =
        new ServiceAppearance(buses, BusConnections::Bus::System, {QStringLiteral("org.freedesktop.login1")}, this);
    connect(appearance, &ServiceAppearance::appeared, this, [this] {
        ++m_generation;
        m_requesting = false;
        close();
        if (m_wanted && !m_lettingGo)
            request();
    });
    connect(&events, &SystemEvents::willPowerOff, this, [this] { m_poweringOff = true; });
    connect(&events, &SystemEvents::powerOffCancelled, this, [this] {
        m_poweringOff = false;
        m_lettingGo = false;
        if (m_wanted)
            request();
    });
    // After a resume logind may have been restarted and forgotten the lock.
    connect(&events, &SystemEvents::didWake, this, [this] {
        if (m_wanted && !m_lettingGo)
            request();
    });
}

LogindShutdownDelayLock::~LogindShutdownDelayLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void LogindShutdownDelayLock::arm()
{
    m_wanted = true;
    // A lock taken while the power-off goes on would only make logind wait out its delay:
    // it is taken if the power-off is called off.
    m_lettingGo = m_poweringOff;
    if (!m_lettingGo)
        request();
}

void LogindShutdownDelayLock::letGo()
{
    m_lettingGo = true;
    close();
}

void LogindShutdownDelayLock::disarm()
{
    m_wanted = false;
    m_lettingGo = false;
    close();
}

void LogindShutdownDelayLock::request()
{
    if (m_fd >= 0 || m_requesting)
        return;
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    message << QStringLiteral("shutdown") << QStringLiteral("Corvane")
            << QStringLiteral("Giving back the wake inhibition before power-off") << QStringLiteral("delay");
    m_requesting = true;
    QDBusConnection bus = m_buses.connection(BusConnections::Bus::System);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation = m_generation] {
        watcher->deleteLater();
        if (generation != m_generation)
            return;
        m_requesting = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        if (reply.isError() || !reply.value().isValid())
            return;
        // The reply's descriptor closes with the reply; keep a copy of our own that no
        // child process inherits.
        // A power-off may have begun while logind was answering: then the answer's
        // descriptor simply closes with the reply.
        if (!m_wanted || m_lettingGo)
            return;
        const int fd = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0)
            return;
        m_fd = fd;
        Q_EMIT heldChanged();
    });
}

void LogindShutdownDelayLock::close()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    Q_EMIT heldChanged();
}
