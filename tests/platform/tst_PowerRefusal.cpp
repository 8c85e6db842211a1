// Runs with no reachable system bus (so no logind): every route can refuse.
#include "TestSupport.h"
#include "platform/LinuxPowerBackend.h"
#include "platform/BootTimeClock.h"
#include "platform/CoarseTicker.h"
#include "wake/SystemEvents.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace {
int liveGnomeInhibitors()
{
    const QString gnome = QStringLiteral("org.gnome.SessionManager");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(gnome, QStringLiteral("/org/gnome/SessionManager"), gnome,
                                       QStringLiteral("ListLive")));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return -1;
    const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
    int count = 0;
    arg.beginArray();
    while (!arg.atEnd()) {
        QString app, reason;
        uint flags = 0;
        arg.beginStructure();
        arg >> app >> reason >> flags;
        arg.endStructure();
        ++count;
    }
    arg.endArray();
    return count;
}
} // namespace

class PowerRefusalTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QDBusConnection::systemBus().isConnected(), "this test must run without a system bus");
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void aStartEveryServiceRefusesChangesOnlyTheFlag()
    {
        MockService gnome(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                          QStringLiteral("org.gnome.SessionManager"), {{QStringLiteral("refuse"), true}});
        LinuxPowerBackend backend;
        PowerAssertionManager manager(backend);
        MemorySettingsStore settings;
        SystemEvents events;
        FakeTickers tickers;
        BootTimeClock bootClock;
        CorvaneTimerService timer(manager, settings, TimerServiceEnvironment{bootClock, tickers.factory(), events});
        QSignalSpy active(&timer, &CorvaneTimerService::activeChanged);
        QSignalSpy remaining(&timer, &CorvaneTimerService::remainingSecondsChanged);

        QElapsedTimer elapsed;
        elapsed.start();
        timer.start(WakeDuration::minutes(90));
        QVERIFY2(elapsed.elapsed() < 500, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY(timer.assertionFailed());
        QVERIFY(!timer.active());
        QCOMPARE(active.count(), 0);
        QCOMPARE(remaining.count(), 0);
        QCOMPARE(timer.lastDuration(), WakeDuration::indefinite());
        QVERIFY(settings.values.isEmpty());
        QCOMPARE(tickers.alive(), 0);
        QVERIFY(!manager.heldMode());
    }

    void aServiceThatNeverAnswersIsARefusalWithinTheBudget()
    {
        MockService gnome(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                          QStringLiteral("org.gnome.SessionManager"), {{QStringLiteral("hang"), true}});
        LinuxPowerBackend backend;
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(!backend.acquire(AssertionMode::displayAndSystem, QStringLiteral("r")));
        QVERIFY2(elapsed.elapsed() < 2500, qPrintable(QString::number(elapsed.elapsed())));
    }

    void aLateYesIsGivenBack()
    {
        // The budget runs out while gnome-session is still thinking; when its cookie
        // finally arrives it must be handed back, not kept.
        MockService gnome(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                          QStringLiteral("org.gnome.SessionManager"), {{QStringLiteral("slow"), 0.6}});
        LinuxPowerBackend::Options options;
        options.budget = std::chrono::milliseconds(200);
        options.perCall = std::chrono::milliseconds(2000);
        LinuxPowerBackend backend(options);
        QVERIFY(!backend.acquire(AssertionMode::systemOnly, QStringLiteral("late")));
        // Whether our call timed out or its late answer was handed back, nothing stays.
        QTest::qWait(800);
        QVERIFY(TestBus::waitFor([] { return liveGnomeInhibitors() == 0; }));
    }
};

QTEST_GUILESS_MAIN(PowerRefusalTest)
#include "tst_PowerRefusal.moc"
