// Runs against the private buses of scripts/test-env: python3-dbusmock's logind on the
// system bus, and our own small mocks of the session services started per test.
#include "TestSupport.h"
#include "platform/LinuxPowerBackend.h"
#include "platform/BootTimeClock.h"
#include "platform/CoarseTicker.h"
#include "wake/SystemEvents.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <QElapsedTimer>
#include <QtTest>
#include <csignal>

namespace {
const QString gnomePath = QStringLiteral("/org/gnome/SessionManager");

QStringList inhibitCalls(const MockService &mock, const QString &path)
{
    QStringList out;
    for (const QString &call : mock.calls(path)) {
        if (call.startsWith(QLatin1String("Inhibit")) || call.startsWith(QLatin1String("Uninhibit"))
            || call.startsWith(QLatin1String("UnInhibit")))
            out << call;
    }
    return out;
}
} // namespace

class LinuxPowerBackendTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected() && TestBus::logindInhibitors().isEmpty(),
                        "a private system bus with the logind mock and no locks");
    }

    void logindHoldsExactlyOneLockWithTheReason()
    {
        LinuxPowerBackend backend;
        PowerAssertionManager manager(backend);
        MemorySettingsStore settings;
        settings.values[CorvaneTimerService::modeKey] = QStringLiteral("systemOnly");
        SystemEvents events;
        BootTimeClock bootClock;
        CorvaneTimerService timer(manager, settings, TimerServiceEnvironment{bootClock, CoarseTicker::factory(), events});

        timer.start(WakeDuration::minutes(90));
        QVERIFY(!timer.assertionFailed());
        QCOMPARE(TestBus::logindInhibitors(),
                 QStringList{QStringLiteral("sleep|Corvane|Corvane: keeping this computer awake for 1 h 30 min|block")});

        timer.stop();
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void displayAndSystemOnLogindBlocksIdleToo()
    {
        LinuxPowerBackend backend;
        const auto id = backend.acquire(AssertionMode::displayAndSystem, QStringLiteral("why"));
        QVERIFY(id);
        QCOMPARE(TestBus::logindInhibitors(), QStringList{QStringLiteral("idle:sleep|Corvane|why|block")});
        QVERIFY(backend.servicesFor(*id).contains(QStringLiteral("org.freedesktop.login1")));
        backend.release(*id);
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void modeSwitchOnLogindIsNewThenOld()
    {
        LinuxPowerBackend backend;
        PowerAssertionManager manager(backend);
        QVERIFY(manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("a")));
        QVERIFY(manager.acquire(AssertionMode::systemOnly, QStringLiteral("b")));
        QVERIFY(TestBus::waitFor([] {
            return TestBus::logindInhibitors() == QStringList{QStringLiteral("sleep|Corvane|b|block")};
        }));
        manager.release();
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void gnomeSessionIsPreferredWithItsFlags()
    {
        MockService gnome(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                          QStringLiteral("org.gnome.SessionManager"));
        QVERIFY(gnome.isRunning());
        LinuxPowerBackend backend;
        PowerAssertionManager manager(backend);

        QVERIFY(manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("r1")));
        QVERIFY(manager.acquire(AssertionMode::systemOnly, QStringLiteral("r2")));
        manager.release();
        QVERIFY(TestBus::waitFor([&] { return inhibitCalls(gnome, gnomePath).size() == 4; }));
        // New before old on a switch; 12 = idle + suspend, 4 = suspend only.
        QCOMPARE(inhibitCalls(gnome, gnomePath),
                 (QStringList{QStringLiteral("Inhibit Corvane 0 r1 12"), QStringLiteral("Inhibit Corvane 0 r2 4"),
                              QStringLiteral("Uninhibit 1"), QStringLiteral("Uninhibit 2")}));
        QVERIFY(TestBus::logindInhibitors().isEmpty());
    }

    void refusingServiceFallsThroughToTheNext()
    {
        MockService gnome(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                          QStringLiteral("org.gnome.SessionManager"), {{QStringLiteral("refuse"), true}});
        LinuxPowerBackend backend;
        const auto id = backend.acquire(AssertionMode::systemOnly, QStringLiteral("r"));
        QVERIFY(id);
        QCOMPARE(backend.servicesFor(*id), QStringList{QStringLiteral("org.freedesktop.login1")});
        backend.release(*id);
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void powerManagementServesSystemOnly()
    {
        MockService pm(TestBus::mockTemplate(QStringLiteral("power_management.py")), false,
                       QStringLiteral("org.freedesktop.PowerManagement"));
        LinuxPowerBackend backend;
        const auto id = backend.acquire(AssertionMode::systemOnly, QStringLiteral("r"));
        QVERIFY(id);
        QCOMPARE(backend.servicesFor(*id), QStringList{QStringLiteral("org.freedesktop.PowerManagement")});
        // Without a screen saver service it cannot keep the display on: logind does that.
        const auto both = backend.acquire(AssertionMode::displayAndSystem, QStringLiteral("r"));
        QVERIFY(both);
        QCOMPARE(backend.servicesFor(*both).first(), QStringLiteral("org.freedesktop.login1"));
        backend.release(*both);
        backend.release(*id);
        const QString path = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
        QVERIFY(TestBus::waitFor([&] { return inhibitCalls(pm, path).size() == 2; }));
        QCOMPARE(inhibitCalls(pm, path), (QStringList{QStringLiteral("Inhibit Corvane r"), QStringLiteral("UnInhibit 1")}));
    }

    void aHangingServiceCostsBoundedTime()
    {
        MockService gnome(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                          QStringLiteral("org.gnome.SessionManager"), {{QStringLiteral("hang"), true}});
        LinuxPowerBackend backend;
        QElapsedTimer elapsed;
        elapsed.start();
        const auto id = backend.acquire(AssertionMode::systemOnly, QStringLiteral("r"));
        // gnome-session is given up on, logind still answers within the budget.
        QVERIFY2(elapsed.elapsed() < 2500, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY(id);
        QCOMPARE(backend.servicesFor(*id), QStringList{QStringLiteral("org.freedesktop.login1")});
        backend.release(*id);
    }

    void aKilledHolderLeavesNoLock()
    {
        QProcess holder;
        holder.start(QStringLiteral(CORVANE_HOLDER));
        QVERIFY(holder.waitForReadyRead(5000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));
        QCOMPARE(TestBus::logindInhibitors().size(), 1);
        ::kill(pid_t(holder.processId()), SIGKILL);
        holder.waitForFinished(3000);
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }
};

QTEST_GUILESS_MAIN(LinuxPowerBackendTest)
#include "tst_LinuxPowerBackend.moc"
