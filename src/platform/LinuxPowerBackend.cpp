#include "platform/LinuxPowerBackend.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QVariantMap>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <vector>

using namespace std::chrono;
using SteadyClock = steady_clock;

namespace {

constexpr quint32 flagSuspend = 4;
constexpr quint32 flagIdle = 8;

const QString gnomeSession = QStringLiteral("org.gnome.SessionManager");
const QString kdePolicyAgent = QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent");
const QString fdoScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString xfceScreenSaver = QStringLiteral("org.xfce.ScreenSaver");
const QString fdoPowerManagement = QStringLiteral("org.freedesktop.PowerManagement");
const QString portalDesktop = QStringLiteral("org.freedesktop.portal.Desktop");
const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString appName = QStringLiteral("Corvane");

struct Token {
    enum class Kind { Cookie, PortalRequest, LogindFd, XScreenSaver };
    Kind kind = Kind::Cookie;
    bool systemBus = false;
    QString service;
    QString path;
    QString interface;
    QString releaseMethod;
    quint32 cookie = 0;
    int fd = -1;
};

struct Grant {
    std::vector<Token> tokens;
    AssertionMode mode = AssertionMode::displayAndSystem;
    bool underPowerDevil = false;
    SteadyClock::time_point at;
};

using Tokens = std::optional<std::vector<Token>>;

bool isSandboxed()
{
    return QFile::exists(QStringLiteral("/.flatpak-info"));
}

bool onXfce()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("XFCE"), Qt::CaseInsensitive);
}

// Answers shared between the caller of acquire() and the worker. Whoever comes second
// decides: a late grant that the caller has given up on is released by the worker.
struct PendingAcquire {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    std::optional<PowerBackend::Id> result;
};

} // namespace

class LinuxPowerBackend::Worker : public QObject {
    Q_OBJECT
public:
    explicit Worker(Options options) : m_options(options) {}

    ~Worker() override
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    // Runs on the worker thread.
    void runAcquire(AssertionMode mode, const QString &reason, SteadyClock::time_point deadline,
                    const std::shared_ptr<PendingAcquire> &pending)
    {
        m_deadline = deadline;
        Grant grant;
        grant.mode = mode;
        grant.at = SteadyClock::now();
        bool powerDevil = false;
        Tokens tokens = mode == AssertionMode::displayAndSystem ? displayAndSystem(reason, powerDevil)
                                                                : systemOnly(reason, powerDevil);
        std::optional<Id> id;
        if (tokens) {
            grant.tokens = std::move(*tokens);
            grant.underPowerDevil = powerDevil;
            id = m_nextId.fetch_add(1);
        }

        std::unique_lock guard(pending->lock);
        if (pending->abandoned) {
            guard.unlock();
            if (tokens)
                releaseTokens(grant.tokens);
            return;
        }
        if (id) {
            std::lock_guard heldGuard(m_heldLock);
            m_held.emplace(*id, std::move(grant));
        }
        pending->result = id;
        pending->finished = true;
        pending->done.notify_all();
    }

    // Takes a grant out of the table; any thread.
    std::optional<Grant> take(Id id)
    {
        std::lock_guard guard(m_heldLock);
        auto it = m_held.find(id);
        if (it == m_held.end())
            return std::nullopt;
        Grant grant = std::move(it->second);
        m_held.erase(it);
        return grant;
    }

    bool hasNewerUnderPowerDevil(const Grant &grant) const
    {
        std::lock_guard guard(m_heldLock);
        for (const auto &[id, other] : m_held) {
            if (other.underPowerDevil && other.at >= grant.at)
                return true;
        }
        return false;
    }

    // Runs on the worker thread: sends the bus releases. Under PowerDevil a grant being
    // replaced stays until its successor is in force (PowerDevil applies inhibitions
    // about five seconds late), otherwise everything goes at once.
    void releaseOnWorker(Grant grant)
    {
        if (grant.underPowerDevil && hasNewerUnderPowerDevil(grant)) {
            m_handingOver.push_back(std::move(grant));
            if (!m_handoverTimer) {
                m_handoverTimer = new QTimer(this);
                m_handoverTimer->setInterval(250);
                connect(m_handoverTimer, &QTimer::timeout, this, &Worker::checkHandover);
            }
            m_handoverTimer->start();
            return;
        }
        releaseTokens(grant.tokens);
        // Nothing newer is coming: whatever waits for a hand-over goes too.
        flushHandover();
    }

    QStringList servicesFor(Id id) const
    {
        std::lock_guard guard(m_heldLock);
        QStringList services;
        auto it = m_held.find(id);
        if (it == m_held.end())
            return services;
        for (const Token &token : it->second.tokens)
            services << (token.kind == Token::Kind::XScreenSaver ? QStringLiteral("X11") : token.service);
        return services;
    }

    std::vector<Grant> takeAll()
    {
        std::lock_guard guard(m_heldLock);
        std::vector<Grant> all;
        for (auto &[id, grant] : m_held)
            all.push_back(std::move(grant));
        m_held.clear();
        for (Grant &grant : m_handingOver)
            all.push_back(std::move(grant));
        m_handingOver.clear();
        return all;
    }

    // Closes the descriptors of a grant; safe on any thread, and the one part of a release
    // that must happen even while the process is being torn down.
    static void closeDescriptors(Grant &grant)
    {
        for (Token &token : grant.tokens) {
            if (token.kind == Token::Kind::LogindFd && token.fd >= 0) {
                ::close(token.fd);
                token.fd = -1;
            }
        }
    }

    void releaseTokens(std::vector<Token> &tokens)
    {
        for (Token &token : tokens) {
            switch (token.kind) {
            case Token::Kind::LogindFd:
                if (token.fd >= 0)
                    ::close(token.fd);
                token.fd = -1;
                break;
            case Token::Kind::Cookie: {
                QDBusMessage message = QDBusMessage::createMethodCall(token.service, token.path,
                                                                      token.interface, token.releaseMethod);
                message << token.cookie;
                bus(token.systemBus).send(message);
                break;
            }
            case Token::Kind::PortalRequest:
                bus(false).send(QDBusMessage::createMethodCall(token.service, token.path, token.interface,
                                                               token.releaseMethod));
                break;
            case Token::Kind::XScreenSaver:
                if (m_display) {
                    XScreenSaverSuspend(m_display, False);
                    XFlush(m_display);
                }
                break;
            }
        }
    }

private Q_SLOTS:
    void onPortalResponse(uint response, const QVariantMap &)
    {
        m_portalResponse = response;
        if (m_portalLoop)
            m_portalLoop->quit();
    }

private:
    static QDBusConnection bus(bool system)
    {
        return system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    }

    int callTimeoutMs() const
    {
        const auto left = duration_cast<milliseconds>(m_deadline - SteadyClock::now());
        return int(std::min(left, m_options.perCall).count());
    }

    // A call that never outlives the caller's budget. A missing service, an error or
    // silence all come back as an error message. A service may still say yes after we
    // stopped waiting; `onLateReply` then gets that answer so it can be given back.
    QDBusMessage call(bool system, const QDBusMessage &message,
                      const std::function<void(const QDBusMessage &)> &onLateReply = {})
    {
        const int timeout = callTimeoutMs();
        if (timeout <= 0)
            return message.createErrorReply(QDBusError::Timeout, QStringLiteral("out of time"));
        QDBusConnection connection = bus(system);
        if (!connection.isConnected())
            return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("no bus"));
        // Qt's own limit stays long so a late answer still arrives and can be undone.
        auto *watcher = new QDBusPendingCallWatcher(connection.asyncCall(message, 60000), this);
        if (!watcher->isFinished()) {
            QEventLoop loop;
            connect(watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
            QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        if (watcher->isFinished()) {
            const QDBusMessage reply = watcher->reply();
            delete watcher;
            return reply;
        }
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, onLateReply] {
            const QDBusMessage reply = watcher->reply();
            if (onLateReply && reply.type() == QDBusMessage::ReplyMessage)
                onLateReply(reply);
            watcher->deleteLater();
        });
        return message.createErrorReply(QDBusError::Timeout, QStringLiteral("no answer in time"));
    }

    bool hasOwner(bool system, const QString &name)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        message << name;
        const QDBusMessage reply = call(system, message);
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            && reply.arguments().first().toBool();
    }

    Tokens cookieCall(bool system, const QString &service, const QString &path, const QString &interface,
                      const QString &releaseMethod, const QDBusMessage &message)
    {
        if (!hasOwner(system, service))
            return std::nullopt;
        const QDBusMessage reply = call(system, message, [=](const QDBusMessage &late) {
            if (late.arguments().isEmpty())
                return;
            QDBusMessage undo = QDBusMessage::createMethodCall(service, path, interface, releaseMethod);
            undo << late.arguments().first().toUInt();
            bus(system).send(undo);
        });
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        bool ok = false;
        const uint cookie = reply.arguments().first().toUInt(&ok);
        if (!ok)
            return std::nullopt;
        Token token;
        token.kind = Token::Kind::Cookie;
        token.systemBus = system;
        token.service = service;
        token.path = path;
        token.interface = interface;
        token.releaseMethod = releaseMethod;
        token.cookie = cookie;
        return std::vector<Token>{token};
    }

    Tokens viaGnomeSession(quint32 flags, const QString &reason)
    {
        const QString path = QStringLiteral("/org/gnome/SessionManager");
        QDBusMessage message = QDBusMessage::createMethodCall(gnomeSession, path, gnomeSession,
                                                              QStringLiteral("Inhibit"));
        message << appName << quint32(0) << reason << flags;
        return cookieCall(false, gnomeSession, path, gnomeSession, QStringLiteral("Uninhibit"), message);
    }

    Tokens viaScreenSaver(const QString &service, const QString &path, const QString &interface,
                          const QString &reason)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Inhibit"));
        message << appName << reason;
        return cookieCall(false, service, path, interface, QStringLiteral("UnInhibit"), message);
    }

    Tokens viaFdoScreenSaver(const QString &reason)
    {
        if (onXfce() && hasOwner(false, xfceScreenSaver)) {
            if (Tokens t = viaScreenSaver(xfceScreenSaver, QStringLiteral("/org/xfce/ScreenSaver"),
                                          xfceScreenSaver, reason))
                return t;
        }
        if (Tokens t = viaScreenSaver(fdoScreenSaver, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                      fdoScreenSaver, reason))
            return t;
        return viaScreenSaver(fdoScreenSaver, QStringLiteral("/ScreenSaver"), fdoScreenSaver, reason);
    }

    Tokens viaPowerManagement(const QString &reason)
    {
        const QString path = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
        const QString interface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");
        QDBusMessage message = QDBusMessage::createMethodCall(fdoPowerManagement, path, interface,
                                                              QStringLiteral("Inhibit"));
        message << appName << reason;
        return cookieCall(false, fdoPowerManagement, path, interface, QStringLiteral("UnInhibit"), message);
    }

    Tokens viaPortal(quint32 flags, const QString &reason)
    {
        if (!hasOwner(false, portalDesktop))
            return std::nullopt;
        QDBusConnection session = bus(false);
        const QString token = QStringLiteral("corvane%1").arg(QRandomGenerator::global()->generate());
        QString sender = session.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
        const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
        const QString response = QStringLiteral("Response");

        // Subscribe first: the answer may come before the call returns.
        m_portalResponse.reset();
        session.connect(portalDesktop, handle, requestInterface, response, this,
                        SLOT(onPortalResponse(uint, QVariantMap)));
        QDBusMessage message = QDBusMessage::createMethodCall(portalDesktop,
                                                              QStringLiteral("/org/freedesktop/portal/desktop"),
                                                              QStringLiteral("org.freedesktop.portal.Inhibit"),
                                                              QStringLiteral("Inhibit"));
        QVariantMap options{{QStringLiteral("handle_token"), token}, {QStringLiteral("reason"), reason}};
        message << QString() << flags << options;
        const QDBusMessage reply = call(false, message, [=](const QDBusMessage &late) {
            if (late.arguments().isEmpty())
                return;
            const QString path = qvariant_cast<QDBusObjectPath>(late.arguments().first()).path();
            bus(false).send(QDBusMessage::createMethodCall(portalDesktop, path, requestInterface,
                                                           QStringLiteral("Close")));
        });
        QString returned = handle;
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            returned = qvariant_cast<QDBusObjectPath>(reply.arguments().first()).path();
        if (returned != handle && !returned.isEmpty()) {
            session.connect(portalDesktop, returned, requestInterface, response, this,
                            SLOT(onPortalResponse(uint, QVariantMap)));
        }
        if (reply.type() == QDBusMessage::ReplyMessage && !m_portalResponse) {
            const int wait = int(duration_cast<milliseconds>(m_deadline - SteadyClock::now()).count());
            if (wait > 0) {
                QEventLoop loop;
                m_portalLoop = &loop;
                QTimer::singleShot(wait, &loop, &QEventLoop::quit);
                loop.exec();
                m_portalLoop = nullptr;
            }
        }
        session.disconnect(portalDesktop, handle, requestInterface, response, this,
                           SLOT(onPortalResponse(uint, QVariantMap)));
        if (returned != handle)
            session.disconnect(portalDesktop, returned, requestInterface, response, this,
                               SLOT(onPortalResponse(uint, QVariantMap)));

        Token request;
        request.kind = Token::Kind::PortalRequest;
        request.service = portalDesktop;
        request.path = returned;
        request.interface = requestInterface;
        request.releaseMethod = QStringLiteral("Close");
        if (reply.type() != QDBusMessage::ReplyMessage)
            return std::nullopt;
        if (m_portalResponse != 0u) {
            // Refused (2) or silent: make sure a late yes does not linger.
            std::vector<Token> late{request};
            releaseTokens(late);
            return std::nullopt;
        }
        return std::vector<Token>{request};
    }

    Tokens viaLogind(const QString &what, const QString &reason, bool suspendScreenSaver)
    {
        QDBusConnection system = bus(true);
        if (!(system.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
            return std::nullopt;
        if (!hasOwner(true, login1))
            return std::nullopt;
        QDBusMessage message = QDBusMessage::createMethodCall(login1, QStringLiteral("/org/freedesktop/login1"),
                                                              QStringLiteral("org.freedesktop.login1.Manager"),
                                                              QStringLiteral("Inhibit"));
        message << what << appName << reason << QStringLiteral("block");
        const QDBusMessage reply = call(true, message);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        const auto descriptor = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
        if (!descriptor.isValid())
            return std::nullopt;
        // Our own close-on-exec copy: the lock lives exactly as long as it does, and a
        // child process never inherits it.
        const int fd = fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0)
            return std::nullopt;
        Token lock;
        lock.kind = Token::Kind::LogindFd;
        lock.systemBus = true;
        lock.service = login1;
        lock.fd = fd;
        std::vector<Token> tokens{lock};
        if (suspendScreenSaver && suspendX11ScreenSaver()) {
            Token screen;
            screen.kind = Token::Kind::XScreenSaver;
            tokens.push_back(screen);
        }
        return tokens;
    }

    bool suspendX11ScreenSaver()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return false;
        if (!m_display && !m_displayTried) {
            m_displayTried = true;
            m_display = XOpenDisplay(nullptr);
            int event = 0, error = 0;
            if (m_display && !XScreenSaverQueryExtension(m_display, &event, &error)) {
                XCloseDisplay(m_display);
                m_display = nullptr;
            }
        }
        if (!m_display)
            return false;
        XScreenSaverSuspend(m_display, True);
        XFlush(m_display);
        return true;
    }

    // Both tokens or neither: a screen saver inhibition alone would let the system sleep.
    Tokens pair(Tokens first, const std::function<Tokens()> &second)
    {
        if (!first)
            return std::nullopt;
        Tokens other = second();
        if (!other) {
            releaseTokens(*first);
            return std::nullopt;
        }
        first->insert(first->end(), other->begin(), other->end());
        return first;
    }

    Tokens displayAndSystem(const QString &reason, bool &powerDevil)
    {
        const quint32 flags = flagIdle | flagSuspend;
        if (isSandboxed()) {
            if (Tokens t = viaPortal(flags, reason))
                return t;
        }
        if (Tokens t = viaGnomeSession(flags, reason))
            return t;
        if (hasOwner(false, kdePolicyAgent)) {
            if (Tokens t = viaScreenSaver(fdoScreenSaver, QStringLiteral("/ScreenSaver"), fdoScreenSaver, reason)) {
                powerDevil = true;
                return t;
            }
        }
        if (!isSandboxed()) {
            if (Tokens t = viaPortal(flags, reason))
                return t;
        }
        if (Tokens t = pair(viaFdoScreenSaver(reason), [&] { return viaPowerManagement(reason); })) {
            powerDevil = hasOwner(false, kdePolicyAgent);
            return t;
        }
        return viaLogind(QStringLiteral("idle:sleep"), reason, true);
    }

    Tokens systemOnly(const QString &reason, bool &powerDevil)
    {
        const quint32 flags = flagSuspend;
        if (isSandboxed()) {
            if (Tokens t = viaPortal(flags, reason))
                return t;
        }
        if (Tokens t = viaGnomeSession(flags, reason))
            return t;
        if (Tokens t = viaPowerManagement(reason)) {
            powerDevil = hasOwner(false, kdePolicyAgent);
            return t;
        }
        if (!isSandboxed()) {
            if (Tokens t = viaPortal(flags, reason))
                return t;
        }
        return viaLogind(QStringLiteral("sleep"), reason, false);
    }

    bool powerDevilHolds(AssertionMode mode)
    {
        // PolicyAgent types: 1 interrupt session (sleep), 4 change screen settings.
        const quint32 types = mode == AssertionMode::displayAndSystem ? 1u | 4u : 1u;
        QDBusMessage message = QDBusMessage::createMethodCall(
            kdePolicyAgent, QStringLiteral("/org/kde/Solid/PowerManagement/PolicyAgent"), kdePolicyAgent,
            QStringLiteral("HasInhibition"));
        message << types;
        m_deadline = SteadyClock::now() + milliseconds(200);
        const QDBusMessage reply = call(false, message);
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            && reply.arguments().first().toBool();
    }

    void checkHandover()
    {
        std::optional<Grant> newest;
        {
            std::lock_guard guard(m_heldLock);
            for (const auto &[id, grant] : m_held) {
                if (grant.underPowerDevil && (!newest || grant.at > newest->at))
                    newest = grant;
            }
        }
        if (newest && SteadyClock::now() - newest->at < m_options.handover && !powerDevilHolds(newest->mode))
            return;
        flushHandover();
    }

    void flushHandover()
    {
        for (Grant &grant : m_handingOver)
            releaseTokens(grant.tokens);
        m_handingOver.clear();
        if (m_handoverTimer)
            m_handoverTimer->stop();
    }

    const Options m_options;
    SteadyClock::time_point m_deadline;
    std::optional<uint> m_portalResponse;
    QEventLoop *m_portalLoop = nullptr;
    Display *m_display = nullptr;
    bool m_displayTried = false;
    QTimer *m_handoverTimer = nullptr;
    std::vector<Grant> m_handingOver;

    mutable std::mutex m_heldLock;
    std::map<Id, Grant> m_held;
    std::atomic<Id> m_nextId{1};
};

namespace {
// The worker's thread ends with the process, not with the backend's owner: the exit hook
// may still release through it.
QThread *workerThread()
{
    static QThread *const thread = [] {
        auto *t = new QThread;
        t->setObjectName(QStringLiteral("corvane-power"));
        t->start();
        return t;
    }();
    return thread;
}
} // namespace

LinuxPowerBackend::LinuxPowerBackend() : LinuxPowerBackend(Options{}) {}

LinuxPowerBackend::LinuxPowerBackend(Options options)
    : m_options(options), m_worker(std::make_unique<Worker>(options))
{
    m_worker->moveToThread(workerThread());
}

LinuxPowerBackend::~LinuxPowerBackend()
{
    for (Grant &grant : m_worker->takeAll()) {
        Worker::closeDescriptors(grant);
        Worker *worker = m_worker.get();
        QMetaObject::invokeMethod(worker, [worker, grant]() mutable { worker->releaseTokens(grant.tokens); },
                                  Qt::BlockingQueuedConnection);
    }
    // Delete on the worker thread, where its timers live.
    Worker *worker = m_worker.release();
    QMetaObject::invokeMethod(worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
}

std::optional<PowerBackend::Id> LinuxPowerBackend::acquire(AssertionMode mode, const QString &reason)
{
    auto pending = std::make_shared<PendingAcquire>();
    const auto deadline = SteadyClock::now() + m_options.budget;
    Worker *worker = m_worker.get();
    QMetaObject::invokeMethod(
        worker, [worker, mode, reason, deadline, pending] { worker->runAcquire(mode, reason, deadline, pending); },
        Qt::QueuedConnection);

    std::unique_lock guard(pending->lock);
    // A little grace beyond the budget for the worker to hand the answer over.
    if (!pending->done.wait_until(guard, deadline + milliseconds(250), [&] { return pending->finished; })) {
        pending->abandoned = true;
        return std::nullopt;
    }
    return pending->result;
}

void LinuxPowerBackend::release(Id id)
{
    std::optional<Grant> grant = m_worker->take(id);
    if (!grant)
        return;
    const bool canUseWorker = QCoreApplication::instance() && workerThread()->isRunning()
        && !QCoreApplication::closingDown();
    if (!canUseWorker) {
        // The process is going away: the bus services drop our inhibitions when our
        // connection closes, and the kernel would close the descriptors; close them now so
        // the release happens before anything else runs.
        Worker::closeDescriptors(*grant);
        return;
    }
    Worker *worker = m_worker.get();
    if (QThread::currentThread() == workerThread()) {
        worker->releaseOnWorker(std::move(*grant));
        return;
    }
    auto sent = std::make_shared<std::promise<void>>();
    std::future<void> done = sent->get_future();
    QMetaObject::invokeMethod(
        worker, [worker, grant = std::move(*grant), sent]() mutable {
            worker->releaseOnWorker(std::move(grant));
            sent->set_value();
        },
        Qt::QueuedConnection);
    // Wait for the messages to leave, so "release, then exit" really releases first.
    done.wait_for(milliseconds(500));
}

QStringList LinuxPowerBackend::servicesFor(Id id) const
{
    return m_worker->servicesFor(id);
}

#include "LinuxPowerBackend.moc"
