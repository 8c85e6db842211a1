// SPDX-License-Identifier: GPL-3.0-or-later
// The triggers on the real program, each switched on through its command line: a real
// player (mpv with its MPRIS plugin, paused and resumed by playerctl) beside players that
// hang or answer nonsense, a real process under an awkward name, a remote session in
// logind's mock, and UPower's mock saying the computer runs on battery. Each condition
// that ends gives the inhibition back within five seconds.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace RunningCorvane;

namespace {
constexpr int releaseWithinMs = 5000;

QString trigger()
{
    return RunningCorvane::property(QStringLiteral("Trigger")).toString();
}

// Held for `words`, in `kind` ("idle:sleep" with the display, "sleep" without), and nothing else.
bool heldFor(const QString &words, const QString &kind)
{
    const QStringList locks = blockLocks();
    return trigger() == words && locks.size() == 1
        && locks.first()
        == QStringLiteral("%1|Corvane|Corvane: keeping this computer awake while %2|block").arg(kind, words);
}

bool released()
{
    return trigger().isEmpty() && blockLocks().isEmpty();
}

// One second of silence, for mpv to loop.
QString writeSilence(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("silence.wav"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const quint32 rate = 8000;
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + rate);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate << quint16(1) << quint16(8);
    out.writeRawData("data", 4);
    out << rate;
    file.write(header);
    file.write(QByteArray(rate, char(0x80)));
    return path;
}

std::unique_ptr<QProcess> start(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(5000);
    return process;
}

void stop(const std::unique_ptr<QProcess> &process)
{
    if (process && process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
    }
}

QDBusMessage logindMock(const QString &path, const QString &interface, const QString &method, const QVariantList &args)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"), path, interface, method);
    call.setArguments(args);
    return TestBus::bus(true).call(call);
}

void emitManagerSignal(const QString &name, const QString &id, const QString &path)
{
    logindMock(QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.DBus.Mock"),
               QStringLiteral("EmitSignal"),
               {QStringLiteral("org.freedesktop.login1.Manager"), name, QStringLiteral("so"),
                QVariantList{id, QVariant::fromValue(QDBusObjectPath(path))}});
}

// A session as sshd's PAM module opens it: logind announces it, then it reads as remote.
QString openRemoteSession(const QString &id)
{
    const QDBusMessage added = logindMock(QStringLiteral("/org/freedesktop/login1"),
                                          QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddSession"),
                                          {id, QStringLiteral("seat0"), 1000u, QStringLiteral("someone"), false});
    // The template answers with the path as text.
    const QString path = added.arguments().value(0).toString();
    emitManagerSignal(QStringLiteral("SessionNew"), id, path);
    logindMock(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
               {QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Remote"),
                QVariant::fromValue(QDBusVariant(true))});
    return path;
}

void closeSession(const QString &id, const QString &path)
{
    logindMock(QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.DBus.Mock"),
               QStringLiteral("RemoveObject"), {QVariant::fromValue(QDBusObjectPath(path))});
    emitManagerSignal(QStringLiteral("SessionRemoved"), id, path);
}

void setOnBattery(const MockService &upower, bool onBattery)
{
    QDBusMessage set = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.UPower"), QStringLiteral("/org/freedesktop/UPower"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << QStringLiteral("org.freedesktop.UPower") << QStringLiteral("OnBattery")
        << QVariant::fromValue(QDBusVariant(onBattery));
    upower.bus().call(set);
}
} // namespace

class TriggersEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected() && QDBusConnection::sessionBus().isConnected(),
                        "private buses with the logind mock");
        m_corvane = launchIdle();
        QVERIFY(m_corvane);
    }

    void cleanup()
    {
        stop(m_corvane);
        m_corvane.reset();
        TestBus::waitFor([] {
            return !QDBusConnection::sessionBus().interface()->isServiceRegistered(SingleInstance::serviceName).value();
        });
        for (const QString &off : {QStringLiteral("--while-media=off"), QStringLiteral("--while-remote=off"),
                                   QStringLiteral("--while-apps=")})
            commandLine({off});
    }

    // Playing holds with the display on; paused, gone without a word, or beside players
    // that hang or answer nonsense, the outcome is clear and the program stays live.
    void whileMediaPlays()
    {
        const QString mpv = QStandardPaths::findExecutable(QStringLiteral("mpv"));
        const QString playerctl = QStandardPaths::findExecutable(QStringLiteral("playerctl"));
        CORVANE_REQUIRE(!mpv.isEmpty() && !playerctl.isEmpty() && QFile::exists("/etc/mpv/scripts/mpris.so"),
                        "mpv with mpv-mpris, and playerctl");
        QTemporaryDir dir;
        const QString wav = writeSilence(dir);
        QVERIFY(!wav.isEmpty());

        const auto hung = start(QStringLiteral("/usr/bin/python3"),
                                {TestBus::mockTemplate(QStringLiteral("mpris_player.py")), "hung", "hung"});
        const auto wrong = start(QStringLiteral("/usr/bin/python3"),
                                 {TestBus::mockTemplate(QStringLiteral("mpris_player.py")), "wrong", "wrong-type"});
        QCOMPARE(commandLine({QStringLiteral("--while-media"), QStringLiteral("on")}), 0);
        const QStringList mpvArguments{QStringLiteral("--no-video"), QStringLiteral("--ao=null"),
                                       QStringLiteral("--loop=inf"), QStringLiteral("--no-terminal"), wav};
        auto player = start(mpv, mpvArguments);
        const QString words = QStringLiteral("mpv plays media");
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, QStringLiteral("idle:sleep")); }, 10000),
                 qPrintable(blockLocks().join(QLatin1Char('\n'))));
        QCOMPARE(RunningCorvane::property(QStringLiteral("Active")).toBool(), false);
        QCOMPARE(RunningCorvane::property(QStringLiteral("Held")).toBool(), true);

        const auto playerctlDoes = [&](const QString &what) {
            return QProcess::execute(playerctl, {QStringLiteral("--player=mpv"), what}) == 0;
        };
        QVERIFY(playerctlDoes(QStringLiteral("pause")));
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
        QVERIFY(playerctlDoes(QStringLiteral("play")));
        QVERIFY(TestBus::waitFor([&] { return heldFor(words, QStringLiteral("idle:sleep")); }, releaseWithinMs));

        // Killed outright: its name goes with its connection.
        player->kill();
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
        stop(hung);
        stop(wrong);
    }

    // A stopped period leaves what a trigger holds; the program found under a name with a
    // space and letters beyond ASCII, longer than the kernel keeps, within five seconds.
    void whileAppsRun()
    {
        QTemporaryDir dir;
        const QString name = QStringLiteral("corvane trig sléeper");
        const QString copy = dir.filePath(name);
        QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), copy));
        QVERIFY(QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

        QCOMPARE(commandLine({QStringLiteral("--while-apps"), QStringLiteral("nothing-like-it,") + name}), 0);
        auto process = start(copy, {QStringLiteral("600")});
        const QString words = name + QStringLiteral(" runs");
        QVERIFY(TestBus::waitFor([&] { return trigger() == words; }, 7000));
        // While a period runs, it is the cause named.
        QCOMPARE(call(QStringLiteral("Start"), {30u}).type(), QDBusMessage::ReplyMessage);
        QVERIFY(TestBus::waitFor([&] { return trigger().isEmpty(); }));
        QCOMPARE(call(QStringLiteral("Stop")).type(), QDBusMessage::ReplyMessage);
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, QStringLiteral("idle:sleep")); }),
                 qPrintable(blockLocks().join(QLatin1Char('\n'))));

        QString output;
        QCOMPARE(commandLine({QStringLiteral("--status"), QStringLiteral("--json")}, &output), 0);
        const QJsonObject status = QJsonDocument::fromJson(output.toUtf8()).object();
        QCOMPARE(status.value(QStringLiteral("trigger")).toString(), words);
        QCOMPARE(status.value(QStringLiteral("active")).toBool(), false);
        QCOMPARE(status.value(QStringLiteral("held")).toBool(), true);

        process->kill();
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
    }

    // System only; a closed session lets go; on battery nothing holds until mains returns.
    void whileSomeoneIsLoggedInRemotely()
    {
        QCOMPARE(commandLine({QStringLiteral("--while-remote"), QStringLiteral("on")}), 0);
        const QString id = QStringLiteral("ssh%1").arg(QCoreApplication::applicationPid());
        const QString path = openRemoteSession(id);
        QVERIFY(!path.isEmpty());
        const QString words = QStringLiteral("someone is logged in remotely");
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, QStringLiteral("sleep")); }),
                 qPrintable(blockLocks().join(QLatin1Char('\n'))));

        {
            MockService upower(QStringLiteral("upower"), true, QStringLiteral("org.freedesktop.UPower"),
                               {{QStringLiteral("OnBattery"), true}});
            QVERIFY(upower.isRunning());
            QVERIFY(TestBus::waitFor(released, releaseWithinMs));
            setOnBattery(upower, false);
            QVERIFY(TestBus::waitFor([&] { return heldFor(words, QStringLiteral("sleep")); }));
        }

        closeSession(id, path);
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
    }

private:
    std::unique_ptr<QProcess> m_corvane;
};

QTEST_GUILESS_MAIN(TriggersEndToEndTest)
#include "tst_TriggersEndToEnd.moc"
