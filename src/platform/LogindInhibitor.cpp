// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LogindInhibitor.h"

#include "platform/ServiceAppearance.h"

#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace {
const QString login1 = QStringLiteral("org.freedesktop.login1");
constexpr int lateAnswerMs = 25000;

class LogindGrant : public Grant {
public:
    LogindGrant(LogindInhibitor &owner, QDBusConnection connection, bool display)
        : m_owner(&owner),
          m_connection(std::move(connection)),
          m_display(display)
    {}

    ~LogindGrant() override { closeLock(); }

    void begin(const QString &what, const QString &reason)
    {
        if (!(m_connection.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
            m_refusal = QStringLiteral("the system bus cannot pass descriptors");
            QPointer<LogindGrant> self(this);
            QMetaObject::invokeMethod(
                this,
                [self] {
                    if (self)
                        self->markRefused(self->m_refusal);
                },
                Qt::QueuedConnection);
            return;
        }
        QDBusMessage message =
            QDBusMessage::createMethodCall(login1, QStringLiteral("/org/freedesktop/login1"),
                                           QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
        message << what << QStringLiteral("Corvane") << reason << QStringLiteral("block");
        auto *call = new QDBusPendingCallWatcher(m_connection.asyncCall(message, lateAnswerMs), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
            call->deleteLater();
            onReply(call->reply());
        });
    }

protected:
    void giveBack(State) override
    {
        closeLock();
        if (m_screenSuspended.exchange(false) && QThread::currentThread() == thread() && m_owner) {
            if (::Display *display = m_owner->screenSaverDisplay()) {
                XScreenSaverSuspend(display, False);
                XFlush(display);
            }
        }
    }

private:
    void onReply(const QDBusMessage &reply)
    {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("h")) {
            markRefused(reply.type() == QDBusMessage::ErrorMessage
                            ? reply.errorName()
                            : QStringLiteral("answered '%1' instead of a descriptor").arg(reply.signature()));
            return;
        }
        const auto descriptor = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
        // Our own close-on-exec copy; the reply's closes with the reply, so a late answer
        // that nobody wants any more is given back by simply not copying it.
        if (isReleased() || !descriptor.isValid())
            return markRefused(QStringLiteral("no descriptor"));
        const int fd = ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0)
            return markRefused(QStringLiteral("could not keep the descriptor"));
        m_fd.store(fd);
        // A new logind knows nothing of the old one's locks (this one may well live on).
        const QString issuer = reply.service();
        auto *owner = new QDBusServiceWatcher(login1, m_connection, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this, issuer](const QString &, const QString &oldOwner, const QString &) {
                    if (oldOwner != issuer)
                        return;
                    closeLock();
                    markLost(QStringLiteral("logind left the bus or restarted"));
                });
        // logind closing its end (it went away) makes ours report an error.
        m_hangUp = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_hangUp, &QSocketNotifier::activated, this, [this] {
            m_hangUp->setEnabled(false);
            closeLock();
            markLost(QStringLiteral("logind dropped the lock"));
        });
        if (m_display && m_owner) {
            if (::Display *display = m_owner->screenSaverDisplay()) {
                XScreenSaverSuspend(display, True);
                XFlush(display);
                m_screenSuspended = true;
            }
        }
        markGranted(QStringLiteral("systemd-logind"));
    }

    void closeLock()
    {
        if (m_hangUp && QThread::currentThread() == thread())
            m_hangUp->setEnabled(false);
        const int fd = m_fd.exchange(-1);
        if (fd >= 0)
            ::close(fd);
    }

    QPointer<LogindInhibitor> m_owner;
    QDBusConnection m_connection;
    const bool m_display;
    QString m_refusal;
    std::atomic<int> m_fd{-1};
    std::atomic<bool> m_screenSuspended{false};
    QSocketNotifier *m_hangUp = nullptr;
};
} // namespace

LogindInhibitor::LogindInhibitor(BusConnections &buses, QObject *parent) : Inhibitor(parent), m_buses(buses)
{
    auto *appearance = new ServiceAppearance(buses, BusConnections::Bus::System, {login1}, this);
    connect(appearance, &ServiceAppearance::appeared, this, &Inhibitor::serviceAppeared);
}

LogindInhibitor::~LogindInhibitor()
{
    if (m_display)
        XCloseDisplay(m_display);
}

std::unique_ptr<Grant> LogindInhibitor::request(AssertionMode mode, const QString &reason)
{
    const bool display = mode == AssertionMode::displayAndSystem;
    auto grant = std::make_unique<LogindGrant>(*this, m_buses.connection(BusConnections::Bus::System), display);
    grant->begin(display ? QStringLiteral("idle:sleep") : QStringLiteral("sleep"), reason);
    return grant;
}

_XDisplay *LogindInhibitor::screenSaverDisplay()
{
    if (m_displayTried)
        return m_display;
    m_displayTried = true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    m_display = XOpenDisplay(nullptr);
    int event = 0, error = 0;
    if (m_display && !XScreenSaverQueryExtension(m_display, &event, &error)) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
    return m_display;
}
