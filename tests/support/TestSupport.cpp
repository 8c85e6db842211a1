// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QWindow>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

FifoWatchdog::FifoWatchdog(const QString &path)
    : m_thread([this, native = QFile::encodeName(path)] {
          while (!m_stop) {
              // Succeeds only while a reader has the FIFO open; closing again gives it end of file.
              struct stat info {};
              const bool fifo = ::stat(native.constData(), &info) == 0 && S_ISFIFO(info.st_mode);
              const int fd = fifo ? ::open(native.constData(), O_WRONLY | O_NONBLOCK) : -1;
              if (fd >= 0) {
                  ++m_readers;
                  ::close(fd);
              }
              std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
      })
{}

FifoWatchdog::~FifoWatchdog()
{
    m_stop = true;
    m_thread.join();
}

MockService::MockService(const QString &templateName, bool systemBus, const QString &busName,
                         const QVariantMap &parameters)
    : m_system(systemBus),
      m_busName(busName)
{
    QStringList args{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), templateName};
    if (systemBus)
        args << QStringLiteral("--system");
    if (!parameters.isEmpty())
        args << QStringLiteral("--parameters")
             << QString::fromUtf8(
                    QJsonDocument(QJsonObject::fromVariantMap(parameters)).toJson(QJsonDocument::Compact));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    TestBus::waitFor([this] { return isRunning(); }, 10000);
}

MockService::~MockService()
{
    m_process.terminate();
    m_process.waitForFinished(3000);
    // The name must be gone before the next test looks for it.
    TestBus::waitFor([this] { return !bus().interface()->isServiceRegistered(m_busName).value(); }, 3000);
}

QDBusConnection MockService::bus() const
{
    return TestBus::bus(m_system);
}

bool MockService::isRunning() const
{
    return bus().interface()->isServiceRegistered(m_busName).value();
}

namespace {
QStringList mockCalls(const QDBusConnection &bus, const QString &busName, const QString &path)
{
    QDBusMessage message = QDBusMessage::createMethodCall(busName, path, QStringLiteral("org.freedesktop.DBus.Mock"),
                                                          QStringLiteral("GetCalls"));
    const QDBusMessage reply = QDBusConnection(bus).call(message);
    QStringList out;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return out;
    // a(tsav): timestamp, method, args
    const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        quint64 stamp = 0;
        QString method;
        QVariantList callArgs;
        arg.beginStructure();
        arg >> stamp >> method;
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusVariant v;
            arg >> v;
            callArgs << v.variant();
        }
        arg.endArray();
        arg.endStructure();
        QStringList parts{method};
        for (const QVariant &v : callArgs)
            parts << (v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(',')) : v.toString());
        out << parts.join(QLatin1Char(' '));
    }
    arg.endArray();
    return out;
}
} // namespace

QStringList MockService::calls(const QString &path) const
{
    return mockCalls(bus(), m_busName, path);
}

namespace TestBus {

bool inCi()
{
    const QByteArray ci = qgetenv("CI");
    return !ci.isEmpty() && ci != "0" && ci != "false";
}

QStringList logindInhibitors()
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"));
    const QDBusMessage reply = TestBus::bus(true).call(message);
    QStringList out;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return out;
    const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        arg.beginStructure();
        arg >> what >> who >> why >> mode >> uid >> pid;
        arg.endStructure();
        out << QStringList{what, who, why, mode}.join(QLatin1Char('|'));
    }
    arg.endArray();
    return out;
}

QStringList logindCalls()
{
    return mockCalls(TestBus::bus(true), QStringLiteral("org.freedesktop.login1"),
                     QStringLiteral("/org/freedesktop/login1"));
}

void clearLogindCalls()
{
    TestBus::bus(true).call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("ClearCalls")));
}

QDBusConnection bus(bool system)
{
    static int generation[2] = {0, 0};
    const QDBusConnection standard = system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    const QString name = QStringLiteral("test-%1-%2").arg(system).arg(generation[system]);
    if (standard.isConnected() || QDBusConnection(name).isConnected())
        return standard.isConnected() ? standard : QDBusConnection(name);
    QDBusConnection::disconnectFromBus(name);
    return QDBusConnection::connectToBus(system ? QDBusConnection::SystemBus : QDBusConnection::SessionBus,
                                         QStringLiteral("test-%1-%2").arg(system).arg(++generation[system]));
}

bool replaceBus(bool system)
{
    const QByteArray address = qgetenv(system ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS");
    QStringList daemons;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray command = readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (command.split('\0').value(0).endsWith("dbus-daemon") && command.contains("--address=" + address + '\0'))
            daemons << pid;
    }
    auto gone = [](const QString &pid) {
        return readFile(QStringLiteral("/proc/%1/stat").arg(pid)).split(' ').value(2, "Z") == "Z";
    };
    for (const QString &pid : daemons)
        ::kill(pid.toInt(), SIGTERM);
    if (daemons.isEmpty() || !waitFor([&] { return std::all_of(daemons.cbegin(), daemons.cend(), gone); }, 5000))
        return false;
    QFile::remove(QString::fromLocal8Bit(address.mid(address.indexOf('=') + 1)));
    return QProcess::startDetached(QStringLiteral("dbus-daemon"),
                                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                    QStringLiteral("--address=") + QString::fromLocal8Bit(address)})
        && waitFor([&] { return bus(system).isConnected(); }, 5000);
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

bool onScreen(QWidget *window, bool active)
{
    if (active)
        window->activateWindow();
    return waitFor(
        [window, active] {
            return window->windowHandle() && window->windowHandle()->isExposed()
                && (!active || window->isActiveWindow());
        },
        5000);
}

bool drain(const QDBusConnection &connection, const QString &service)
{
    // Deferred calls first, so what they send is on its way before the ping.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        service, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    const bool answered = connection.call(ping, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    // The messages that came in before the answer are queued for this thread: deliver them.
    QCoreApplication::sendPostedEvents();
    return answered;
}

QString mockTemplate(const QString &fileName)
{
    return QStringLiteral(CORVANE_TESTS_DIR "/mocks/") + fileName;
}

} // namespace TestBus
