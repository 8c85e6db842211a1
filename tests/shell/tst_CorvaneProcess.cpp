// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on the private buses of scripts/test-env, driven through its
// public interface and its command line: every way out gives the logind lock back, a
// power-off releases while the program stays up, a second launch hands over to the first,
// and no surface reads "awake" while nothing holds.
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
void emitLogindSignal(const QString &name, const QString &signature, const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    message << QStringLiteral("org.freedesktop.login1.Manager") << name << signature << args;
    QDBusConnection::systemBus().call(message);
}

bool logindRuns()
{
    return TestBus::bus(true).interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value();
}

// Nothing on the system bus can hold any more: logind's mock goes, with what it held.
bool stopLogind()
{
    const uint pid = TestBus::bus(true).interface()->servicePid(QStringLiteral("org.freedesktop.login1")).value();
    return pid > 0 && ::kill(pid_t(pid), SIGTERM) == 0 && TestBus::waitFor([] { return !logindRuns(); });
}

QString panelTexts()
{
    return control(QStringLiteral("PanelTexts")).arguments().value(0).toStringList().join(QLatin1Char('\n'));
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

QJsonObject statusJson(int *exitCode)
{
    QString output;
    *exitCode = commandLine({QStringLiteral("--status"), QStringLiteral("--json")}, &output);
    return QJsonDocument::fromJson(output.toUtf8()).object();
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
            m_logind =
                std::make_unique<MockService>(QStringLiteral("logind"), true, QStringLiteral("org.freedesktop.login1"));
        if (m_corvane && m_corvane->state() != QProcess::NotRunning) {
            m_corvane->kill();
            m_corvane->waitForFinished(5000);
        }
        m_corvane.reset();
        // The next launch must not find this one's name.
        TestBus::waitFor([] {
            return !QDBusConnection::sessionBus().interface()->isServiceRegistered(SingleInstance::serviceName).value();
        });
    }

    void signalsGiveTheLockBackAndExitZero_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("holding");
        for (const int sig : TerminationGuard::handledSignals) {
            QTest::addRow("%s holding", strsignal(sig)) << sig << true;
            QTest::addRow("%s idle", strsignal(sig)) << sig << false;
        }
    }
    void signalsGiveTheLockBackAndExitZero()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, holding);
        TestBus::clearLogindCalls();
        if (holding) {
            call(QStringLiteral("Start"), {60u});
            // The previous row's process may still be on its way out of logind's list.
            const QStringList ours{
                QStringLiteral("idle:sleep|Corvane|Corvane: keeping this computer awake for 1 h|block")};
            QVERIFY(TestBus::waitFor([&] { return state() == QLatin1String("active held") && blockLocks() == ours; }));
        }
        ::kill(pid_t(m_corvane->processId()), signalNumber);
        QVERIFY(exitedWithZero(*m_corvane));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        // Idle, nothing was asked for on the way out either.
        QVERIFY(holding || TestBus::logindCalls().filter(QStringLiteral("Inhibit ")).isEmpty());
    }

    // The shortcut kept in the settings is in force from launch: in an X11 session of no
    // known desktop it is the program's own grab, and a press is the tray's quick toggle.
    void theShortcutTogglesFromLaunch()
    {
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "xdotool");
        cleanup();
        QSettingsStore().setString(ToggleShortcut::settingKey, QStringLiteral("Ctrl+Alt+K"));
        m_corvane = launch();
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+k")});
        QVERIFY(TestBus::waitFor([] { return state() == QLatin1String("active held"); }));
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+k")});
        QVERIFY(TestBus::waitFor([] { return state() == QLatin1String("idle released"); }));
        QSettingsStore().setString(ToggleShortcut::settingKey, QString());
    }

    void quittingEndsTheWakePeriod()
    {
        call(QStringLiteral("Start"), {30u});
        QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
        call(QStringLiteral("Quit"));
        QVERIFY(exitedWithZero(*m_corvane));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    // With systemd 255's signal (the plain one is in the mechanisms' table).
    void powerOffReleasesWhileTheProgramStaysUp()
    {
        // Idle, nothing of the program's is at logind; the delay lock comes with the period.
        QVERIFY(TestBus::logindInhibitors().isEmpty());
        call(QStringLiteral("Start"), {60u});
        QVERIFY(TestBus::waitFor([] {
            return blockLocks().size() == 1 && TestBus::logindInhibitors().filter(QStringLiteral("|delay")).size() == 1;
        }));

        emitLogindSignal(QStringLiteral("PrepareForShutdownWithMetadata"), QStringLiteral("ba{sv}"),
                         {true, QVariant::fromValue(QVariantMap{{QStringLiteral("type"), QStringLiteral("reboot")}})});
        // Both locks go: the assertion first, then the delay lock that held logind back.
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        QCOMPARE(m_corvane->state(), QProcess::Running);
        // The timer service is not told: if the power-off does not happen, it still runs.
        QCOMPARE(state(), QStringLiteral("active released"));
    }

    void aSecondLaunchHandsOverAndEnds()
    {
        QVERIFY(!panel().visible);
        const std::unique_ptr<QProcess> second = launch({}, {});
        QVERIFY(exitedWithZero(*second));
        QVERIFY(TestBus::waitFor([] { return panel().visible; }));
        QCOMPARE(m_corvane->state(), QProcess::Running);
    }

    // The service holding the period goes and nothing else can hold: every surface says
    // so, the period runs on, and it is held again as soon as a service answers.
    void aLostInhibitionNeverReadsAwake()
    {
        QCOMPARE(commandLine({QStringLiteral("--for"), QStringLiteral("30m")}), 0);
        QCOMPARE(RunningCorvane::property(QStringLiteral("Held")), QVariant(true));
        QVERIFY(stopLogind());
        QVERIFY(TestBus::waitFor([] { return RunningCorvane::property(QStringLiteral("Held")) == QVariant(false); }));
        QCOMPARE(RunningCorvane::property(QStringLiteral("Active")), QVariant(true));

        QString output;
        QCOMPARE(commandLine({QStringLiteral("--status")}, &output), 1);
        QVERIFY2(output.contains(QLatin1String("not being kept awake")) && !output.contains(QLatin1String("Keeping")),
                 qPrintable(output));
        int exitCode = 0;
        const QJsonObject json = statusJson(&exitCode);
        QCOMPARE(exitCode, 1);
        QCOMPARE(json.value(QStringLiteral("active")), QJsonValue(true));
        QCOMPARE(json.value(QStringLiteral("held")), QJsonValue(false));
        QVERIFY2(panelTexts().contains(QLatin1String("NOT AWAKE.")), qPrintable(panelTexts()));

        m_logind =
            std::make_unique<MockService>(QStringLiteral("logind"), true, QStringLiteral("org.freedesktop.login1"));
        QVERIFY(TestBus::waitFor(
            [] {
                return RunningCorvane::property(QStringLiteral("Held")) == QVariant(true) && blockLocks().size() == 1;
            },
            5000));
        QCOMPARE(commandLine({QStringLiteral("--status")}, &output), 0);
        QVERIFY2(output.startsWith(QLatin1String("Keeping this computer awake for ")), qPrintable(output));
        QVERIFY2(panelTexts().contains(QLatin1String("\nAWAKE.")), qPrintable(panelTexts()));
    }

    // The command line reports what its own request came to, never the state before it.
    void theCommandLineReportsItsOwnOutcome_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("pattern"); // what it prints
        QTest::addColumn<bool>("heldAfter");

        QTest::addRow("idle") << "" << QStringList{"--for", "90m"} << 0
                              << "^Keeping this computer awake for 1:(30:00|29:5\\d) more" << true;
        QTest::addRow("longer than the running period")
            << "1 h" << QStringList{"--for", "2h"} << 0 << "^Keeping this computer awake for (2:00:00|1:59:5\\d) more"
            << true;
        QTest::addRow("nothing can hold")
            << "nothing holds" << QStringList{"--for", "30m"} << 1 << "^corvane: The system refused" << false;
        QTest::addRow("a command after an earlier refusal")
            << "refused once" << QStringList{"--", "sh", "-c", "echo ran"} << 0 << "^ran$" << false;
    }
    void theCommandLineReportsItsOwnOutcome()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, arguments);
        if (before == u"1 h")
            QCOMPARE(commandLine({QStringLiteral("--for"), QStringLiteral("1h")}), 0);
        if (before == u"nothing holds" || before == u"refused once")
            QVERIFY(stopLogind());
        if (before == u"refused once") {
            QCOMPARE(commandLine({QStringLiteral("--indefinitely")}), 1);
            QCOMPARE(RunningCorvane::property(QStringLiteral("AssertionFailed")), QVariant(true));
            m_logind =
                std::make_unique<MockService>(QStringLiteral("logind"), true, QStringLiteral("org.freedesktop.login1"));
        }
        QString output;
        QTEST(commandLine(arguments, &output), "exitCode");
        QFETCH(QString, pattern);
        QVERIFY2(output.contains(QRegularExpression(pattern, QRegularExpression::MultilineOption)), qPrintable(output));
        QTEST(RunningCorvane::property(QStringLiteral("Held")).toBool(), "heldAfter");
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
        const QString mockName = QStringLiteral("org.corvane.MockInhibitServices");
        MockService gnome(
            TestBus::mockTemplate(QStringLiteral("inhibit_services.py")), false, mockName,
            {{QStringLiteral("desktop"), QStringLiteral("gnome")}, {QStringLiteral("answer"), QStringLiteral("slow")}});
        QVERIFY(TestBus::waitFor([&gnome] {
            return gnome.bus().interface()->isServiceRegistered(QStringLiteral("org.gnome.SessionManager")).value();
        }));
        QList<QDBusPendingCall> replies;
        for (int i = 0; i < toggles; ++i)
            replies << QDBusConnection::sessionBus().asyncCall(
                QDBusMessage::createMethodCall(SingleInstance::serviceName, SingleInstance::objectPath,
                                               SingleInstance::serviceName, QStringLiteral("Toggle")));
        for (QDBusPendingCall &reply : replies)
            reply.waitForFinished();
        const bool on = toggles % 2 == 1;
        // The last call's answer is the state; a start it overtook was answered "not awake".
        QCOMPARE(replies.last().isError(), false);
        // Once the mock has answered every Inhibit (it answers one call at a time), what is
        // held is the last intent's alone.
        auto live = [&] {
            const QDBusMessage reply = gnome.bus().call(QDBusMessage::createMethodCall(
                mockName, QStringLiteral("/org/corvane/MockInhibitServices"),
                QStringLiteral("org.corvane.MockInhibitServices"), QStringLiteral("Live")));
            return reply.arguments().value(0).toStringList();
        };
        live();
        // (The mock answers one call at a time, so the last start may go on to logind.)
        QVERIFY(TestBus::waitFor([&] { return live().size() + blockLocks().size() == (on ? 1 : 0); }));
        QCOMPARE(RunningCorvane::property(QStringLiteral("Active")), QVariant(on));
        QCOMPARE(RunningCorvane::property(QStringLiteral("Held")), QVariant(on));
        QCOMPARE(RunningCorvane::property(QStringLiteral("HeldBy")).toString().isEmpty(), !on);
    }

    // A command run through the tray: the tray holds for the command line's process, and
    // only for as long as it lives, and never ends a period the user started.
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
            QCOMPARE(call(QStringLiteral("Start"), {240u}).type(), QDBusMessage::ReplyMessage);
        QProcess commandLine;
        commandLine.setProcessChannelMode(QProcess::ForwardedChannels);
        commandLine.start(QStringLiteral(CORVANE_BINARY),
                          {QStringLiteral("--"), QStringLiteral("sleep"), QStringLiteral("30")});
        // The command runs once the hold is in place.
        QVERIFY(TestBus::waitFor([&] { return !childrenOf(commandLine.processId()).isEmpty(); }, 5000));
        const pid_t command = childrenOf(commandLine.processId()).first();
        QCOMPARE(RunningCorvane::property(QStringLiteral("Held")), QVariant(true));
        ::kill(killTheCommandLine ? pid_t(commandLine.processId()) : command, SIGKILL);
        QVERIFY(commandLine.waitForFinished(5000));
        QVERIFY(TestBus::waitFor([&] { return gone(command); }));
        if (userPeriod) {
            // The user's period carries on with its own end.
            QVERIFY(TestBus::waitFor([] { return blockLocks().size() == 1; }));
            QCOMPARE(RunningCorvane::property(QStringLiteral("Active")), QVariant(true));
            QVERIFY(RunningCorvane::property(QStringLiteral("RemainingSeconds")).toLongLong() > 230 * 60);
        } else {
            QVERIFY(TestBus::waitFor([] {
                return RunningCorvane::property(QStringLiteral("Active")) == QVariant(false) && blockLocks().isEmpty();
            }));
        }
    }

    // A command line that gave up on a busy tray leaves the user's period as it was: the
    // start it sent is dropped when the tray gets to it, and nothing else is sent.
    void aStartGivenUpOnLeavesTheUsersPeriod()
    {
        QCOMPARE(call(QStringLiteral("Start"), {240u}).type(), QDBusMessage::ReplyMessage);
        ::kill(pid_t(m_corvane->processId()), SIGSTOP);
        QString output;
        const int status = commandLine({QStringLiteral("--for"), QStringLiteral("30m")}, &output);
        ::kill(pid_t(m_corvane->processId()), SIGCONT);
        QCOMPARE(status, 1);
        QVERIFY2(output.contains(QLatin1String("did not answer")), qPrintable(output));
        // Answered once any start before it is decided.
        QCOMPARE(call(QStringLiteral("Hold")).type(), QDBusMessage::ReplyMessage);
        call(QStringLiteral("Release"));
        QVERIFY(RunningCorvane::property(QStringLiteral("RemainingSeconds")).toLongLong() > 230 * 60);
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
        const QDBusMessage reply = call(QStringLiteral("SetMode"), {mode});
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QCOMPARE(RunningCorvane::property(QStringLiteral("Mode")), QVariant(QStringLiteral("displayAndSystem")));
    }

private:
    std::unique_ptr<QProcess> m_corvane;
    std::unique_ptr<MockService> m_logind;
};

QTEST_GUILESS_MAIN(CorvaneProcessTest)
#include "tst_CorvaneProcess.moc"
