// SPDX-License-Identifier: GPL-3.0-or-later
// The end-of-period warning and its actions, and the refusal notice, on python3-dbusmock's
// notification_daemon on the private session bus, with the timer on a fake clock so nothing
// waits for minutes to pass.
#include "TestSupport.h"
#include "TimerRig.h"
#include "platform/FreedesktopNotifier.h"
#include "wake/EndOfPeriodWarning.h"
#include "wake/RefusalNotice.h"
#include "wake/SettingSwitch.h"

#include <QDBusMessage>
#include <QtTest>

using namespace std::chrono_literals;

namespace {
const QString notifications = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");

void emitActionInvoked(const MockService &daemon, uint id, const QString &key)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        notifications, notificationsPath, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    message << notifications << QStringLiteral("ActionInvoked") << QStringLiteral("us") << QVariantList{id, key};
    daemon.bus().call(message);
}

QStringList notifyCalls(const MockService &daemon)
{
    return daemon.calls(notificationsPath).filter(QRegularExpression(QStringLiteral("^Notify ")));
}
} // namespace

class PeriodNotificationsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        CORVANE_REQUIRE(QDBusConnection::systemBus().isConnected() && QDBusConnection::sessionBus().isConnected()
                            && qEnvironmentVariableIsSet("CORVANE_TEST_WORK"),
                        "private buses");
    }

    void warningOffersExtendAndStop_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("activeAfter");
        QTest::addColumn<qint64>("remainingAfter");
        QTest::addRow("Extend 15 min") << EndOfPeriodWarning::extendKey << true << qint64(19 * 60);
        QTest::addRow("Stop Now") << EndOfPeriodWarning::stopKey << false << qint64(0);
    }
    void warningOffersExtendAndStop()
    {
        QFETCH(QString, action);
        QFETCH(bool, activeAfter);
        QFETCH(qint64, remainingAfter);

        MockService daemon(QStringLiteral("notification_daemon"), false, notifications);
        QVERIFY(daemon.isRunning());
        TimerRig rig;
        auto timer = rig.make();
        FreedesktopNotifier notifier(buses);
        SettingSwitch minutesBefore(rig.settings, EndOfPeriodWarning::settingKey, EndOfPeriodWarning::defaultMinutes,
                                    EndOfPeriodWarning::defaultMinutes);
        EndOfPeriodWarning warning(*timer, notifier, minutesBefore);

        timer->start(WakeDuration::minutes(60));
        rig.clock.advance(56min);
        QVERIFY(TestBus::waitFor([&] { return notifyCalls(daemon).size() == 1; }));
        const QString call = notifyCalls(daemon).first();
        QVERIFY2(call.contains(QLatin1String("extend,Extend 15 min,stop,Stop Now")), qPrintable(call));

        emitActionInvoked(daemon, 1, action);
        QVERIFY(TestBus::waitFor(
            [&] { return timer->active().has_value() == activeAfter && timer->remainingSeconds() == remainingAfter; }));
        // Extending kept the one inhibition and warns again before the new end; stopping gave it back.
        QCOMPARE(rig.backend.log.size(), activeAfter ? 1 : 2);
        rig.clock.advance(15min);
        QVERIFY(TestBus::waitFor([&] { return notifyCalls(daemon).size() == (activeAfter ? 2 : 1); }));
    }

    // With the panel open, the panel shows the failure itself.
    void refusalIsNotifiedOnceWhileThePanelIsClosed()
    {
        for (const bool panelShown : {true, false}) {
            MockService daemon(QStringLiteral("notification_daemon"), false, notifications);
            TimerRig rig;
            auto timer = rig.make();
            FreedesktopNotifier notifier(buses);
            RefusalNotice notice(*timer, timer.manager(), notifier, [&] { return panelShown; });
            rig.backend.refuse = true;
            timer->start(WakeDuration::indefinite());
            QVERIFY(TestBus::waitFor([&] { return timer->assertionFailed(); }));
            timer->start(WakeDuration::indefinite());
            QVERIFY(TestBus::waitFor([&] { return !timer->starting(); }));
            QVERIFY(TestBus::drain(QDBusConnection::sessionBus(), notifications));
            QCOMPARE(notifyCalls(daemon).size(), panelShown ? 0 : 1);
            QVERIFY(panelShown
                    || (notifyCalls(daemon).first().contains(QLatin1String("could not keep this computer awake"))
                        && notifyCalls(daemon).first().contains(QLatin1String("refused"))));
        }
    }

private:
    BusConnections buses;
};

QTEST_GUILESS_MAIN(PeriodNotificationsTest)
#include "tst_PeriodNotifications.moc"
