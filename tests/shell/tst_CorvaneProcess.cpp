// The real program on the private buses of scripts/test-env, driven through its test
// control: every way out gives the logind lock back, a power-off releases while the
// program stays up, and a second launch hands over to the first.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"
#include "TestControl.h"
#include "wake/TerminationGuard.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
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

} // namespace

class CorvaneProcessTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected() && QDBusConnection::sessionBus().isConnected(),
                        "private buses with the logind mock");
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        m_corvane = launch();
        // The control appears once launching has finished; a wake period is never resumed.
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QCOMPARE(state(), QStringLiteral("idle released"));
    }

    void cleanup()
    {
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
        for (const int sig : TerminationGuard::handledSignals)
            QTest::addRow("%s", strsignal(sig)) << sig;
    }
    void signalsGiveTheLockBackAndExitZero()
    {
        QFETCH(int, signalNumber);
        control(QStringLiteral("StartWake"), {60});
        QCOMPARE(state(), QStringLiteral("active held"));
        QCOMPARE(blockLocks(), QStringList{QStringLiteral("idle:sleep|Corvane|Corvane: keeping this computer awake for 1 h|block")});

        ::kill(pid_t(m_corvane->processId()), signalNumber);
        QVERIFY(exitedWithZero(*m_corvane));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void signalsWithNothingHeldAskNothing_data() { signalsGiveTheLockBackAndExitZero_data(); }
    void signalsWithNothingHeldAskNothing()
    {
        QFETCH(int, signalNumber);
        TestBus::clearLogindCalls();
        ::kill(pid_t(m_corvane->processId()), signalNumber);
        QVERIFY(exitedWithZero(*m_corvane));
        for (const QString &call : TestBus::logindCalls())
            QVERIFY2(!call.startsWith(QLatin1String("Inhibit ")) || call.startsWith(QLatin1String("Inhibit shutdown ")),
                     qPrintable(call));
    }

    void aKilledProgramLeavesNoLock()
    {
        control(QStringLiteral("StartWake"), {0});
        QCOMPARE(blockLocks().size(), 1);
        ::kill(pid_t(m_corvane->processId()), SIGKILL);
        m_corvane->waitForFinished(5000);
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void quittingEndsTheWakePeriod()
    {
        control(QStringLiteral("StartWake"), {30});
        QCOMPARE(blockLocks().size(), 1);
        control(QStringLiteral("Quit"));
        QVERIFY(exitedWithZero(*m_corvane));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void powerOffReleasesWhileTheProgramStaysUp_data()
    {
        QTest::addColumn<bool>("withMetadata");
        QTest::addRow("PrepareForShutdown") << false;
        QTest::addRow("PrepareForShutdownWithMetadata") << true;
    }
    void powerOffReleasesWhileTheProgramStaysUp()
    {
        QFETCH(bool, withMetadata);
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().filter(QStringLiteral("|delay")).size() == 1; }));
        control(QStringLiteral("StartWake"), {60});
        QCOMPARE(blockLocks().size(), 1);

        if (withMetadata)
            emitLogindSignal(QStringLiteral("PrepareForShutdownWithMetadata"), QStringLiteral("ba{sv}"),
                             {true, QVariant::fromValue(QVariantMap{{QStringLiteral("type"), QStringLiteral("reboot")}})});
        else
            emitLogindSignal(QStringLiteral("PrepareForShutdown"), QStringLiteral("b"), {true});
        // Both locks go: the assertion first, then the delay lock that held logind back.
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
        QCOMPARE(m_corvane->state(), QProcess::Running);
        // The timer service is not told: if the power-off does not happen, it still runs.
        QCOMPARE(state(), QStringLiteral("active released"));

        // Called off: the delay lock is back for the next time.
        if (withMetadata)
            emitLogindSignal(QStringLiteral("PrepareForShutdownWithMetadata"), QStringLiteral("ba{sv}"),
                             {false, QVariant::fromValue(QVariantMap{})});
        else
            emitLogindSignal(QStringLiteral("PrepareForShutdown"), QStringLiteral("b"), {false});
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().filter(QStringLiteral("|delay")).size() == 1; }));
        QVERIFY(blockLocks().isEmpty());
    }

    void aSecondLaunchHandsOverAndEnds()
    {
        QCOMPARE(control(QStringLiteral("PanelRequests")).arguments().value(0).toInt(), 0);
        const std::unique_ptr<QProcess> second = launch();
        QVERIFY(exitedWithZero(*second));
        QCOMPARE(control(QStringLiteral("PanelRequests")).arguments().value(0).toInt(), 1);
        QCOMPARE(m_corvane->state(), QProcess::Running);
    }

private:
    std::unique_ptr<QProcess> m_corvane;
};

QTEST_GUILESS_MAIN(CorvaneProcessTest)
#include "tst_CorvaneProcess.moc"
