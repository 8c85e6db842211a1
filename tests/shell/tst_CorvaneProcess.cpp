// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on the private buses of scripts/test-env, driven through its
// public interface and its command line: every way out gives the logind lock back, a
// power-off releases while the program stays up, and no surface reads "awake" while nothing
// holds. (A second launch handing over: tst_NoTrayWindow.)
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "platform/QSettingsStore.h"
#include "shell/SingleInstance.h"
#include "wake/TerminationGuard.h"
#include "wake/ToggleShortcut.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QtTest>
#include <csignal>
#include <memory>

using namespace RunningCorvane;

namespace {
const QString logindName = QStringLiteral("org.freedesktop.login1");

void emitLogindSignal(const QString &name, const QString &signature, const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(logindName, "/org/freedesktop/login1",
                                                          "org.freedesktop.DBus.Mock", "EmitSignal");
    message << "org.freedesktop.login1.Manager" << name << signature << args;
    QDBusConnection::systemBus().call(message);
}

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

    // The shortcut kept in the settings is in force from launch: in an X11 session of no
    // known desktop it is the program's own grab, and a press is the tray's quick toggle.
    void theShortcutTogglesFromLaunch()
    {
        CORVANE_REQUIRE(!QStandardPaths::findExecutable("xdotool").isEmpty(), "xdotool");
        cleanup();
        QSettingsStore().setString(ToggleShortcut::settingKey, "Ctrl+Alt+K");
        m_corvane = launch();
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QProcess::execute("xdotool", {"key", "ctrl+alt+k"});
        QVERIFY(TestBus::waitFor([] { return state() == "active held"; }));
        QProcess::execute("xdotool", {"key", "ctrl+alt+k"});
        QVERIFY(TestBus::waitFor([] { return state() == "idle released"; }));
        QSettingsStore().setString(ToggleShortcut::settingKey, QString());
    }

    // With systemd 255's signal (the plain one is in the mechanisms' table).
    void powerOffReleasesWhileTheProgramStaysUp()
    {
        // Idle, nothing of the program's is at logind; the delay lock comes with the period.
        QVERIFY(TestBus::logindInhibitors().isEmpty());
        call("Start", {60u});
        QVERIFY(TestBus::waitFor(
            [] { return blockLocks().size() == 1 && TestBus::logindInhibitors().filter("|delay").size() == 1; }));

        emitLogindSignal("PrepareForShutdownWithMetadata", "ba{sv}",
                         {true, QVariant::fromValue(QVariantMap{{"type", "reboot"}})});
        // Both locks go: the assertion first, then the delay lock that held logind back.
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        QCOMPARE(m_corvane->state(), QProcess::Running);
        // The timer service is not told: if the power-off does not happen, it still runs.
        QCOMPARE(state(), "active released");
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
        QCOMPARE(commandLine({"--status", "--json"}, &output), 1);
        const QJsonObject json = QJsonDocument::fromJson(output.toUtf8()).object();
        QCOMPARE(json.value("active"), QJsonValue(true));
        QCOMPARE(json.value("held"), QJsonValue(false));
        QVERIFY2(panelTexts().contains("NOT AWAKE."), qPrintable(panelTexts()));

        restartLogind();
        QVERIFY(TestBus::waitFor(
            [] { return RunningCorvane::property("Held") == QVariant(true) && blockLocks().size() == 1; }, 5000));
        QCOMPARE(commandLine({"--status"}, &output), 0);
        QVERIFY2(output.startsWith("Keeping this computer awake for "), qPrintable(output));
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

    // The service answers in 0.3 s; the toggles all come before it does. The last wins.
    void quickTogglesEndInTheLastIntent_data()
    {
        QTest::addColumn<int>("toggles");
        QTest::addRow("on, off") << 2;
        QTest::addRow("on, off, on") << 3;
    }
    void quickTogglesEndInTheLastIntent()
    {
        QFETCH(int, toggles);
        const QString mockName = "org.corvane.MockInhibitServices";
        MockService gnome(TestBus::mockTemplate("inhibit_services.py"), false, mockName,
                          {{"desktop", "gnome"}, {"answer", "slow"}});
        QVERIFY(TestBus::waitFor(
            [&gnome] { return gnome.bus().interface()->isServiceRegistered("org.gnome.SessionManager").value(); }));
        QList<QDBusPendingCall> replies;
        for (int i = 0; i < toggles; ++i)
            replies << QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
                SingleInstance::serviceName, SingleInstance::objectPath, SingleInstance::serviceName, "Toggle"));
        for (QDBusPendingCall &reply : replies)
            reply.waitForFinished();
        const bool on = toggles % 2 == 1;
        // The last call's answer is the state; a start it overtook was answered "not awake".
        QCOMPARE(replies.last().isError(), false);
        auto live = [&] {
            const QDBusMessage reply = gnome.bus().call(QDBusMessage::createMethodCall(
                mockName, "/org/corvane/MockInhibitServices", "org.corvane.MockInhibitServices", "Live"));
            return reply.arguments().value(0).toStringList();
        };
        // Once the mock has answered every Inhibit (one call at a time, so the last start
        // may go on to logind), what is held is the last intent's alone.
        QVERIFY(TestBus::waitFor([&] { return live().size() + blockLocks().size() == (on ? 1 : 0); }));
        QCOMPARE(RunningCorvane::property("Active"), QVariant(on));
        QCOMPARE(RunningCorvane::property("Held"), QVariant(on));
        QCOMPARE(RunningCorvane::property("HeldBy").toString().isEmpty(), !on);
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

    void badModesAreRefused_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addRow("garbage") << "garbage";
        QTest::addRow("empty") << "";
        QTest::addRow("a near miss") << "SystemOnly";
    }
    void badModesAreRefused()
    {
        QFETCH(QString, mode);
        QCOMPARE(call("SetMode", {mode}).errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
        QCOMPARE(RunningCorvane::property("Mode"), QVariant("displayAndSystem"));
    }

private:
    void restartLogind() { m_logind = std::make_unique<MockService>("logind", true, logindName); }

    std::unique_ptr<QProcess> m_corvane;
    std::unique_ptr<MockService> m_logind;
};

QTEST_GUILESS_MAIN(CorvaneProcessTest)
#include "tst_CorvaneProcess.moc"
