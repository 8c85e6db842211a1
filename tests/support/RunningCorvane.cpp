// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunningCorvane.h"

#include "TestControl.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVariant>

namespace RunningCorvane {

namespace {
QProcessEnvironment environmentWith(const QProcessEnvironment &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    return env;
}

QDBusMessage callOn(const QString &path, const QString &interface, const QString &method, const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(SingleInstance::serviceName, path, interface, method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}
} // namespace

std::unique_ptr<QProcess> launch(const QProcessEnvironment &extra, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environmentWith(extra));
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QStringLiteral(CORVANE_BINARY), arguments);
    return process;
}

std::unique_ptr<QProcess> launchIdle()
{
    if (!TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }))
        return nullptr;
    std::unique_ptr<QProcess> process = launch();
    // The control appears once launching has finished.
    if (!TestBus::waitFor([] { return !state().isEmpty(); }, 10000) || state() != QLatin1String("idle released"))
        return nullptr;
    return process;
}

QDBusMessage call(const QString &method, const QVariantList &args)
{
    return callOn(SingleInstance::objectPath, SingleInstance::serviceName, method, args);
}

QDBusMessage control(const QString &method, const QVariantList &args)
{
    return callOn(TestControl::objectPath, QStringLiteral("app.corvane.Corvane.TestControl"), method, args);
}

QVariant property(const QString &name)
{
    const QDBusMessage reply = callOn(SingleInstance::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                      QStringLiteral("Get"), {SingleInstance::serviceName, name});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QString state()
{
    // The test control appears only once launching has finished.
    const QVariant active = property(QStringLiteral("Active"));
    if (!active.isValid() || control(QStringLiteral("PanelGeometry")).type() != QDBusMessage::ReplyMessage)
        return {};
    return QStringLiteral("%1 %2").arg(active.toBool() ? QStringLiteral("active") : QStringLiteral("idle"),
                                       blockLocks().isEmpty() ? QStringLiteral("released") : QStringLiteral("held"));
}

bool exitedWithZero(QProcess &process)
{
    return (process.state() == QProcess::NotRunning || process.waitForFinished(10000))
        && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void end(std::unique_ptr<QProcess> &process)
{
    if (process && process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
    }
    process.reset();
    TestBus::waitFor([] {
        return !QDBusConnection::sessionBus().interface()->isServiceRegistered(SingleInstance::serviceName).value();
    });
}

QStringList registeredItems()
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get =
        QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcher << QStringLiteral("RegisteredStatusNotifierItems");
    const QDBusMessage reply = TestBus::bus(false).call(get, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return qdbus_cast<QStringList>(reply.arguments().value(0).value<QDBusVariant>().variant());
}

QStringList blockLocks()
{
    return TestBus::logindInhibitors().filter(QStringLiteral("|block"));
}

int commandLine(const QStringList &arguments, QString *output, const QProcessEnvironment &extra)
{
    QProcess process;
    process.setProcessEnvironment(environmentWith(extra));
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QStringLiteral(CORVANE_BINARY), arguments);
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

PanelState panel()
{
    const QStringList parts =
        control(QStringLiteral("PanelGeometry")).arguments().value(0).toString().split(QLatin1Char(' '));
    if (parts.size() != 5)
        return {};
    return {QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt()),
            parts[4] == QLatin1String("1")};
}

} // namespace RunningCorvane
