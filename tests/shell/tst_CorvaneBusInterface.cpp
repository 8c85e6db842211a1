// SPDX-License-Identifier: GPL-3.0-or-later
// The public interface on a private session bus, with a power service that answers when the
// test says: a start whose caller has given up takes no effect, however late it is decided.
#include "TimerRig.h"
#include "TestSupport.h"
#include "shell/CorvaneBusInterface.h"
#include "shell/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QtTest>

class CorvaneBusInterfaceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aStartGivenUpOnTakesNoEffect_data()
    {
        QTest::addColumn<bool>("userPeriod");
        QTest::addColumn<bool>("leavesWhileDeciding"); // else before the call is handled
        QTest::newRow("left before it was handled") << false << false;
        QTest::newRow("left while the system decided") << false << true;
        QTest::newRow("left while deciding, in the user's period") << true << true;
    }
    void aStartGivenUpOnTakesNoEffect()
    {
        QFETCH(bool, userPeriod);
        QFETCH(bool, leavesWhileDeciding);
        CORVANE_REQUIRE(QDBusConnection::sessionBus().isConnected(), "a private session bus");
        TimerRig rig;
        auto timer = rig.make();
        if (userPeriod)
            timer->start(WakeDuration::minutes(240));
        rig.backend.answerLater = true;
        CorvaneBusInterface served(*timer);
        QVERIFY(served.publish(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("served"))));
        const QString server = QDBusConnection(QStringLiteral("served")).baseService();

        // (The connection closes only once no object refers to it.)
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("caller"))
            .asyncCall(QDBusMessage::createMethodCall(server, SingleInstance::objectPath,
                                                      CorvaneBusInterface::interfaceName, QStringLiteral("Start"))
                       << 30u);
        if (leavesWhileDeciding)
            QTRY_VERIFY(timer->starting());
        QDBusConnection::disconnectFromBus(QStringLiteral("caller"));
        // The bus delivers in order: once a later call is answered, the start and the news
        // of its caller's leaving have been handled.
        QDBusMessage get =
            QDBusMessage::createMethodCall(server, SingleInstance::objectPath,
                                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << CorvaneBusInterface::interfaceName << QStringLiteral("Active");
        const QDBusPendingCall later = QDBusConnection::sessionBus().asyncCall(get);
        QTRY_VERIFY(later.isFinished());
        // The system's answers come after: the start's, then (in a period) the retake's.
        while (!rig.backend.waiting.empty() || timer->starting()) {
            rig.backend.answer(true);
            QCoreApplication::processEvents();
        }
        QCOMPARE(timer->active(), userPeriod ? std::optional(WakeDuration::minutes(240)) : std::nullopt);
        QCOMPARE(rig.backend.live.size(), size_t(userPeriod ? 1 : 0));
        QCOMPARE(timer->assertionFailed(), false);
        QDBusConnection::disconnectFromBus(QStringLiteral("served"));
    }
};

QTEST_GUILESS_MAIN(CorvaneBusInterfaceTest)
#include "tst_CorvaneBusInterface.moc"
