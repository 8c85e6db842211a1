// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on the private buses of scripts/test-env, driven through its public
// interface and its command line: every way out gives the logind lock back, no surface
// reads "awake" while nothing holds, the system locale reaches what it says, and each
// trigger holds for its real source (a player, a process, a remote session in logind's
// mock, UPower's mock on battery) and gives the inhibition back within five seconds once
// it ends. (A second launch handing over: the real desktops' rig.)
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "platform/QSettingsStore.h"
#include "wake/TerminationGuard.h"
#include "wake/ToggleShortcut.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

using namespace RunningCorvane;

namespace {
const QString logindName = QStringLiteral("org.freedesktop.login1");

bool logindRuns()
{
    return TestBus::bus(true).interface()->isServiceRegistered(logindName).value();
}

// Nothing on the system bus can hold any more: logind's mock goes, with what it held.
bool stopLogind()
{
    const uint pid = TestBus::bus(true).interface()->servicePid(logindName).value();
    return pid > 0 && ::kill(pid_t(pid), SIGTERM) == 0 && TestBus::waitFor([] { return !logindRuns(); });
}

QString panelTexts()
{
    return control("PanelTexts").arguments().value(0).toStringList().join('\n');
}

// The processes `pid` started that are still there.
QList<pid_t> childrenOf(qint64 pid)
{
    QList<pid_t> out;
    for (const QByteArray &child : readFile(QStringLiteral("/proc/%1/task/%1/children").arg(pid)).split(' '))
        if (child.toInt() > 0)
            out << child.toInt();
    return out;
}

bool gone(pid_t pid)
{
    return readFile(QStringLiteral("/proc/%1/stat").arg(pid)).split(' ').value(2, "Z") == "Z";
}

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

// Killed with the test function, whatever its outcome.
std::unique_ptr<QProcess> start(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(5000);
    return process;
}

// What logind's mock is asked to do, or a signal it sends as logind's manager; on `path`, a
// method of its objects.
QDBusMessage logindMock(const QString &method, const QVariantList &args,
                        const QString &path = "/org/freedesktop/login1",
                        const QString &interface = "org.freedesktop.DBus.Mock")
{
    QDBusMessage call = QDBusMessage::createMethodCall(logindName, path, interface, method);
    call.setArguments(args);
    return TestBus::bus(true).call(call);
}

void announceSession(const QString &signal, const QString &id, const QString &path)
{
    logindMock(
        "EmitSignal",
        {"org.freedesktop.login1.Manager", signal, "so", QVariantList{id, QVariant::fromValue(QDBusObjectPath(path))}});
}
} // namespace

class CorvaneProcessTest : public QObject {
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
        // A fresh logind's mock where a test stopped the one of the environment.
        if (!logindRuns())
            restartLogind();
        end(m_corvane);
    }

    // Every way out, a signal or Quit (0), with and without a period.
    void everyWayOutGivesTheLockBackAndExitsZero_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("holding");
        for (const int sig : TerminationGuard::handledSignals) {
            QTest::addRow("%s holding", strsignal(sig)) << sig << true;
            QTest::addRow("%s idle", strsignal(sig)) << sig << false;
        }
        QTest::addRow("Quit holding") << 0 << true;
    }
    void everyWayOutGivesTheLockBackAndExitsZero()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, holding);
        TestBus::clearLogindCalls();
        if (holding) {
            call("Start", {60u});
            // The previous row's process may still be on its way out of logind's list.
            const QStringList ours{"idle:sleep|Corvane|Corvane: keeping this computer awake for 1 h|block"};
            QVERIFY(TestBus::waitFor([&] { return state() == "active held" && blockLocks() == ours; }));
        }
        if (signalNumber)
            ::kill(pid_t(m_corvane->processId()), signalNumber);
        else
            call("Quit");
        QVERIFY(exitedWithZero(*m_corvane));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        // Idle, nothing was asked for on the way out either.
        QVERIFY(holding || TestBus::logindCalls().filter("Inhibit ").isEmpty());
    }

    // A power-off lets go of both locks, the assertion first, then the delay lock that held
    // logind back; the timer service is not told, so a power-off that does not happen
    // leaves the period running. With systemd 255's signal (the plain one is in the
    // mechanisms' table).
    void powerOffReleasesWhileTheProgramStaysUp()
    {
        call("Start", {60u});
        QVERIFY(TestBus::waitFor(
            [] { return blockLocks().size() == 1 && TestBus::logindInhibitors().filter("|delay").size() == 1; }));
        logindMock("EmitSignal",
                   {"org.freedesktop.login1.Manager", "PrepareForShutdownWithMetadata", "ba{sv}",
                    QVariantList{true, QVariant::fromValue(QVariantMap{{"type", "reboot"}})}});
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        QCOMPARE(m_corvane->state(), QProcess::Running);
        QCOMPARE(state(), "active released");
    }

    // The shortcut kept in the settings is in force from launch: in an X11 session of no
    // known desktop it is the program's own grab, and a press is the tray's quick toggle.
    void theShortcutTogglesFromLaunch()
    {
        CORVANE_REQUIRE(!QStandardPaths::findExecutable("xdotool").isEmpty(), "xdotool");
        end(m_corvane);
        QSettingsStore().setString(ToggleShortcut::settingKey, "Ctrl+Alt+K");
        m_corvane = launchIdle();
        QVERIFY(m_corvane);
        QProcess::execute("xdotool", {"key", "ctrl+alt+k"});
        QVERIFY(TestBus::waitFor([] { return state() == "active held"; }));
        QProcess::execute("xdotool", {"key", "ctrl+alt+k"});
        QVERIFY(TestBus::waitFor([] { return state() == "idle released"; }));
        QSettingsStore().setString(ToggleShortcut::settingKey, QString());
    }

    // The service holding the period goes and nothing else can hold: every surface says
    // so, the period runs on, and it is held again as soon as a service answers.
    void aLostInhibitionNeverReadsAwake()
    {
        QCOMPARE(commandLine({"--for", "30m"}), 0);
        QCOMPARE(RunningCorvane::property("Held"), QVariant(true));
        QVERIFY(stopLogind());
        QVERIFY(TestBus::waitFor([] { return RunningCorvane::property("Held") == QVariant(false); }));
        QCOMPARE(RunningCorvane::property("Active"), QVariant(true));

        QString output;
        QCOMPARE(commandLine({"--status"}, &output), 1);
        QVERIFY2(output.contains("not being kept awake") && !output.contains("Keeping"), qPrintable(output));
        QVERIFY2(panelTexts().contains("NOT AWAKE."), qPrintable(panelTexts()));

        restartLogind();
        QVERIFY(TestBus::waitFor(
            [] { return RunningCorvane::property("Held") == QVariant(true) && blockLocks().size() == 1; }, 5000));
        QVERIFY2(panelTexts().contains("\nAWAKE."), qPrintable(panelTexts()));
    }

    // With nothing to hold, the command line reports what its own request came to, never the
    // state before it. (A longer period over a running one: tst_CommandLineEndToEnd.)
    void theCommandLineReportsItsOwnOutcome_data()
    {
        QTest::addColumn<bool>("refusedBefore"); // and something can hold again
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("pattern"); // what it prints
        QTest::addRow("nothing can hold")
            << false << QStringList{"--for", "30m"} << 1 << "^corvane: The system refused";
        QTest::addRow("a command after an earlier refusal")
            << true << QStringList{"--", "sh", "-c", "echo ran"} << 0 << "^ran$";
    }
    void theCommandLineReportsItsOwnOutcome()
    {
        QFETCH(bool, refusedBefore);
        QFETCH(QStringList, arguments);
        QVERIFY(stopLogind());
        if (refusedBefore) {
            QCOMPARE(commandLine({"--indefinitely"}), 1);
            QCOMPARE(RunningCorvane::property("AssertionFailed"), QVariant(true));
            restartLogind();
        }
        QString output;
        QTEST(commandLine(arguments, &output), "exitCode");
        QFETCH(QString, pattern);
        QVERIFY2(output.contains(QRegularExpression(pattern, QRegularExpression::MultilineOption)), qPrintable(output));
        QCOMPARE(RunningCorvane::property("Held").toBool(), false);
    }

    // A command run through the tray: the tray holds for the command line's process, and
    // only for as long as it lives, and never ends a period the user started. Killed
    // outright, the command line takes its command along (the kernel sends it a signal).
    void aCommandsHoldGoesWithTheCommandLine_data()
    {
        QTest::addColumn<bool>("userPeriod");
        QTest::addColumn<bool>("killTheCommandLine"); // else the command ends
        QTest::addRow("the command ends") << false << false;
        QTest::addRow("the command line is killed") << false << true;
        QTest::addRow("the command ends in the user's period") << true << false;
        QTest::addRow("the command line is killed in the user's period") << true << true;
    }
    void aCommandsHoldGoesWithTheCommandLine()
    {
        QFETCH(bool, userPeriod);
        QFETCH(bool, killTheCommandLine);
        if (userPeriod)
            QCOMPARE(call("Start", {240u}).type(), QDBusMessage::ReplyMessage);
        QProcess commandLine;
        commandLine.setProcessChannelMode(QProcess::ForwardedChannels);
        commandLine.start(CORVANE_BINARY, {"--", "sleep", "30"});
        // The command runs once the hold is in place.
        QVERIFY(TestBus::waitFor([&] { return !childrenOf(commandLine.processId()).isEmpty(); }, 5000));
        const pid_t command = childrenOf(commandLine.processId()).first();
        QCOMPARE(RunningCorvane::property("Held"), QVariant(true));
        ::kill(killTheCommandLine ? pid_t(commandLine.processId()) : command, SIGKILL);
        QVERIFY(commandLine.waitForFinished(5000));
        QVERIFY(TestBus::waitFor([&] { return gone(command); }));
        if (userPeriod) {
            // The user's period carries on with its own end.
            QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
            QCOMPARE(RunningCorvane::property("Active"), QVariant(true));
            QVERIFY(RunningCorvane::property("RemainingSeconds").toLongLong() > 230 * 60);
        } else {
            QVERIFY(TestBus::waitFor(
                [] { return RunningCorvane::property("Active") == QVariant(false) && blockLocks().isEmpty(); }));
        }
    }

    // A command line that gave up on a busy tray leaves the user's period as it was: the
    // start it sent is dropped when the tray gets to it, and nothing else is sent.
    void aStartGivenUpOnLeavesTheUsersPeriod()
    {
        QCOMPARE(call("Start", {240u}).type(), QDBusMessage::ReplyMessage);
        ::kill(pid_t(m_corvane->processId()), SIGSTOP);
        QString output;
        const int status = commandLine({"--for", "30m"}, &output);
        ::kill(pid_t(m_corvane->processId()), SIGCONT);
        QCOMPARE(status, 1);
        QVERIFY2(output.contains("did not answer"), qPrintable(output));
        // Answered once any start before it is decided.
        QCOMPARE(call("Hold").type(), QDBusMessage::ReplyMessage);
        call("Release");
        QVERIFY(RunningCorvane::property("RemainingSeconds").toLongLong() > 230 * 60);
        QCOMPARE(blockLocks().size(), 1);
    }

    // The system locale reaches the panel, the reason logind is given and the command line.
    // (Every translation is complete, or the build fails; the tray's texts: tst_TrayPresenter.)
    void followsTheSystemLocale()
    {
        cleanup();
        QProcessEnvironment german;
        for (const char *name : {"LANG", "LC_ALL", "LC_MESSAGES"})
            german.insert(name, "de_DE.UTF-8");
        german.insert("LANGUAGE", "de");
        m_corvane = launch(german);
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QVERIFY2(panelTexts().contains("Corvane beenden"), qPrintable(panelTexts()));
        call("Start", {60u});
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
        QVERIFY2(blockLocks().first().contains("Corvane: hält diesen Computer für 1 Std. wach"),
                 qPrintable(blockLocks().first()));
        QString said;
        QCOMPARE(commandLine({"--status"}, &said, german), 0);
        QVERIFY2(said.startsWith("Dieser Computer wird noch"), qPrintable(said));
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
        const auto player = start(mpv, {"--no-video", "--ao=null", "--no-terminal", "av://lavfi:anullsrc"});
        const QString words = "mpv plays media";
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, "idle:sleep"); }, 10000),
                 qPrintable(blockLocks().join('\n')));

        QCOMPARE(QProcess::execute(playerctl, {"--player=mpv", "pause"}), 0);
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
        QCOMPARE(QProcess::execute(playerctl, {"--player=mpv", "play"}), 0);
        QVERIFY(TestBus::waitFor([&] { return heldFor(words, "idle:sleep"); }, releaseWithinMs));
        // Killed outright: its name goes with its connection.
        player->kill();
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
        QCOMPARE(commandLine({"--while-media", "off"}), 0);
    }

    // A listed program under a name with a space and letters beyond ASCII, longer than the
    // kernel keeps; --status names it. (Sharing with a period: tst_Triggers.)
    void whileAppsRun()
    {
        QTemporaryDir dir;
        const QString name = "corvane trig sléeper";
        const QString copy = dir.filePath(name);
        QVERIFY(QFile::copy(QStandardPaths::findExecutable("sleep"), copy));
        QVERIFY(QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QCOMPARE(commandLine({"--while-apps", "nothing-like-it," + name}), 0);
        const auto process = start(copy, {"600"});
        const QString words = name + " runs";
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, "idle:sleep"); }, 7000),
                 qPrintable(blockLocks().join('\n')));

        QString output;
        QCOMPARE(commandLine({"--status", "--json"}, &output), 0);
        const QJsonObject status = QJsonDocument::fromJson(output.toUtf8()).object();
        QCOMPARE(status.value("trigger").toString(), words);
        QCOMPARE(status.value("held").toBool(), true);
        process->kill();
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
        QCOMPARE(commandLine({"--while-apps="}), 0);
    }

    // System only, and a closed session lets go. (On battery: tst_Triggers.)
    void whileSomeoneIsLoggedInRemotely()
    {
        QCOMPARE(commandLine({"--while-remote", "on"}), 0);
        // As sshd's PAM module opens it: logind announces it, then it reads as remote. The
        // template answers with the path as text.
        const QString id = QStringLiteral("ssh%1").arg(QCoreApplication::applicationPid());
        const QString path =
            logindMock("AddSession", {id, "seat0", 1000u, "someone", false}).arguments().value(0).toString();
        QVERIFY(!path.isEmpty());
        announceSession("SessionNew", id, path);
        logindMock("Set", {"org.freedesktop.login1.Session", "Remote", QVariant::fromValue(QDBusVariant(true))}, path,
                   "org.freedesktop.DBus.Properties");
        const QString words = "someone is logged in remotely";
        QVERIFY2(TestBus::waitFor([&] { return heldFor(words, "sleep"); }), qPrintable(blockLocks().join('\n')));
        logindMock("RemoveObject", {QVariant::fromValue(QDBusObjectPath(path))});
        announceSession("SessionRemoved", id, path);
        QVERIFY(TestBus::waitFor(released, releaseWithinMs));
        QCOMPARE(commandLine({"--while-remote", "off"}), 0);
    }

private:
    void restartLogind() { m_logind = std::make_unique<MockService>("logind", true, logindName); }

    std::unique_ptr<QProcess> m_corvane;
    std::unique_ptr<MockService> m_logind;
};

QTEST_GUILESS_MAIN(CorvaneProcessTest)
#include "tst_CorvaneProcess.moc"
