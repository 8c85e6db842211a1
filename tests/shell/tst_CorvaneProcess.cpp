// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on the private buses of scripts/test-env, driven through its
// public interface: every way out gives the logind lock back, a power-off releases while the
// program stays up, and a second launch hands over to the first.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "shell/SingleInstance.h"
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
        const std::unique_ptr<QProcess> second = launch();
        QVERIFY(exitedWithZero(*second));
        QVERIFY(TestBus::waitFor([] { return panel().visible; }));
        QCOMPARE(m_corvane->state(), QProcess::Running);
    }

private:
    std::unique_ptr<QProcess> m_corvane;
};

QTEST_GUILESS_MAIN(CorvaneProcessTest)
#include "tst_CorvaneProcess.moc"
