#include "RunningCorvane.h"

#include "TestSupport.h"
#include "shell/SingleInstance.h"
#include "TestControl.h"

#include <QDBusConnection>

namespace RunningCorvane {

std::unique_ptr<QProcess> launch(const QProcessEnvironment &extra)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QStringLiteral(CORVANE_BINARY));
    return process;
}

QDBusMessage control(const QString &method, const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(SingleInstance::serviceName, TestControl::objectPath,
                                                          QStringLiteral("app.corvane.Corvane.TestControl"), method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

QString state()
{
    const QDBusMessage reply = control(QStringLiteral("State"));
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toString() : QString();
}

bool exitedWithZero(QProcess &process)
{
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList blockLocks()
{
    return TestBus::logindInhibitors().filter(QStringLiteral("|block"));
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
