// SPDX-License-Identifier: GPL-3.0-or-later
// The triggers on the real program, each switched on through its command line: a real
// player (mpv with its MPRIS plugin, paused and resumed by playerctl) beside players that
// hang or answer nonsense, a real process under an awkward name, a remote session in
// logind's mock, and UPower's mock saying the computer runs on battery. Each condition
// that ends gives the inhibition back within five seconds.
#include "RunningCorvane.h"
#include "TestSupport.h"

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
    return RunningCorvane::property("Trigger").toString();
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
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", path, interface, method);
    call.setArguments(args);
    return TestBus::bus(true).call(call);
}

// What the mock itself is asked to do, or a signal it sends as logind's manager.
QDBusMessage logindMockDoes(const QString &method, const QVariantList &args)
{
    return logindMock("/org/freedesktop/login1", "org.freedesktop.DBus.Mock", method, args);
}

void announceSession(const QString &signal, const QString &id, const QString &path)
{
    logindMockDoes(
        "EmitSignal",
        {"org.freedesktop.login1.Manager", signal, "so", QVariantList{id, QVariant::fromValue(QDBusObjectPath(path))}});
}

// A session as sshd's PAM module opens it: logind announces it, then it reads as remote.
QString openRemoteSession(const QString &id)
{
    // The template answers with the path as text.
    const QString path =
        logindMockDoes("AddSession", {id, "seat0", 1000u, "someone", false}).arguments().value(0).toString();
    announceSession("SessionNew", id, path);
    logindMock(path, "org.freedesktop.DBus.Properties", "Set",
               {"org.freedesktop.login1.Session", "Remote", QVariant::fromValue(QDBusVariant(true))});
    return path;
}

void closeSession(const QString &id, const QString &path)
{
    logindMockDoes("RemoveObject", {QVariant::fromValue(QDBusObjectPath(path))});
    announceSession("SessionRemoved", id, path);
}

void setOnBattery(const MockService &upower, bool onBattery)
{
    QDBusMessage set = QDBusMessage::createMethodCall("org.freedesktop.UPower", "/org/freedesktop/UPower",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << "org.freedesktop.UPower"
        << "OnBattery" << QVariant::fromValue(QDBusVariant(onBattery));
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
        end(m_corvane);
        for (const char *off : {"--while-media=off", "--while-remote=off", "--while-apps="})
            commandLine({off});
    }

    // Playing holds with the display on; paused, gone without a word, or beside players
    // that hang or answer nonsense, the outcome is clear and the program stays live.
    void whileMediaPlays()
    {
        const QString mpv = QStandardPaths::findExecutable("mpv");
        const QString playerctl = QStandardPaths::findExecutable("playerctl");
        CORVANE_REQUIRE(!mpv.isEmpty() && !playerctl.isEmpty() && QFile::exists("/etc/mpv/scripts/mpris.so"),
                        "mpv with mpv-mpris, and playerctl");
        const auto hung = start("/usr/bin/python3", {TestBus::mockTemplate("mpris_player.py"), "hung", "hung"});
        const auto wrong = start("/usr/bin/python3", {TestBus::mockTemplate("mpris_player.py"), "wrong", "wrong-type"});
        QCOMPARE(commandLine({"--while-media", "on"}), 0);
        // Silence without end.
        auto player = start(mpv, {"--no-video", "--ao=null", "--no-terminal", "av://lavfi:anullsrc"});
        const QString words = "mpv plays media";
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, "idle:sleep"); }, 10000),
                 qPrintable(blockLocks().join('\n')));
        QCOMPARE(RunningCorvane::property("Active").toBool(), false);
        QCOMPARE(RunningCorvane::property("Held").toBool(), true);

        QCOMPARE(QProcess::execute(playerctl, {"--player=mpv", "pause"}), 0);
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
        QCOMPARE(QProcess::execute(playerctl, {"--player=mpv", "play"}), 0);
        QVERIFY(TestBus::waitFor([&] { return heldFor(words, "idle:sleep"); }, releaseWithinMs));

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
        const QString name = "corvane trig sléeper";
        const QString copy = dir.filePath(name);
        QVERIFY(QFile::copy(QStandardPaths::findExecutable("sleep"), copy));
        QVERIFY(QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

        QCOMPARE(commandLine({"--while-apps", "nothing-like-it," + name}), 0);
        auto process = start(copy, {"600"});
        const QString words = name + " runs";
        QVERIFY(TestBus::waitFor([&] { return trigger() == words; }, 7000));
        // While a period runs, it is the cause named.
        QCOMPARE(call("Start", {30u}).type(), QDBusMessage::ReplyMessage);
        QVERIFY(TestBus::waitFor([&] { return trigger().isEmpty(); }));
        QCOMPARE(call("Stop").type(), QDBusMessage::ReplyMessage);
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, "idle:sleep"); }), qPrintable(blockLocks().join('\n')));

        QString output;
        QCOMPARE(commandLine({"--status", "--json"}, &output), 0);
        const QJsonObject status = QJsonDocument::fromJson(output.toUtf8()).object();
        QCOMPARE(status.value("trigger").toString(), words);
        QCOMPARE(status.value("active").toBool(), false);
        QCOMPARE(status.value("held").toBool(), true);

        process->kill();
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
    }

    // System only; a closed session lets go; on battery nothing holds until mains returns.
    void whileSomeoneIsLoggedInRemotely()
    {
        QCOMPARE(commandLine({"--while-remote", "on"}), 0);
        const QString id = QStringLiteral("ssh%1").arg(QCoreApplication::applicationPid());
        const QString path = openRemoteSession(id);
        QVERIFY(!path.isEmpty());
        const QString words = "someone is logged in remotely";
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, "sleep"); }), qPrintable(blockLocks().join('\n')));

        {
            MockService upower("upower", true, "org.freedesktop.UPower", {{"OnBattery", true}});
            QVERIFY(upower.isRunning());
            QVERIFY(TestBus::waitFor(released, releaseWithinMs));
            setOnBattery(upower, false);
            QVERIFY(TestBus::waitFor([&] { return heldFor(words, "sleep"); }));
        }

        closeSession(id, path);
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
    }

private:
    std::unique_ptr<QProcess> m_corvane;
};

QTEST_GUILESS_MAIN(TriggersEndToEndTest)
#include "tst_TriggersEndToEnd.moc"
