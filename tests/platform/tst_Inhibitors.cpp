// The real mechanisms against mocks of their services on the private buses of
// scripts/test-env (python3-dbusmock's logind on the system bus, our templates on the
// session bus), walked by the real chain.
#include "TestSupport.h"
#include "platform/LinuxInhibitors.h"
#include "wake/PowerAssertionManager.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString gnomeName = QStringLiteral("org.gnome.SessionManager");

int liveGnomeInhibitors()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        gnomeName, QStringLiteral("/org/gnome/SessionManager"), gnomeName, QStringLiteral("ListLive")));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return -1;
    const QDBusArgument arg = reply.arguments().constFirst().value<QDBusArgument>();
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

// Longest gap between 5 ms ticks of the event loop while `until` is false.
int longestStall(const std::function<bool()> &until, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    int longest = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max<int>(longest, int(clock.elapsed() - last));
        last = clock.elapsed();
    });
    beat.start(5);
    TestBus::waitFor(until, timeoutMs);
    return longest;
}

struct Layer {
    LinuxInhibitors inhibitors{LinuxInhibitors::Desktop{}, DelayedCall::mainThread(), InhibitorChain::Timing{}};
    PowerAssertionManager manager{inhibitors.chain(), nullptr};
};
} // namespace

class InhibitorsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (!QDBusConnection::systemBus().isConnected() || !TestBus::logindInhibitors().isEmpty())
            QSKIP("needs scripts/test-env: a private system bus with the logind mock and no locks");
    }

    // What a gnome-session mock that answers this way makes of a start.
    void gnomeSessionAnswers_data()
    {
        QTest::addColumn<QVariantMap>("behaviour");
        QTest::addColumn<QString>("heldBy");
        QTest::newRow("cookie") << QVariantMap{} << "GNOME Session Manager";
        QTest::newRow("error") << QVariantMap{{"refuse", true}} << "systemd-logind";
        QTest::newRow("a string for a cookie") << QVariantMap{{"mistype", "s"}} << "systemd-logind";
        QTest::newRow("a boolean for a cookie") << QVariantMap{{"mistype", "b"}} << "systemd-logind";
        // Given up on after its share of the deadline; its late yes is handed back.
        QTest::newRow("answers too late") << QVariantMap{{"slow", 1.0}} << "systemd-logind";
    }
    void gnomeSessionAnswers()
    {
        QFETCH(QVariantMap, behaviour);
        QFETCH(QString, heldBy);
        MockService gnome(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false, gnomeName, behaviour);
        QVERIFY(gnome.isRunning());
        Layer layer;
        QSignalSpy granted(&layer.manager, &PowerAssertionManager::granted);
        QElapsedTimer clock;
        clock.start();
        layer.manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("why"));
        const int stall = longestStall([&] { return !granted.isEmpty(); }, 3000);
        QCOMPARE(layer.manager.heldBy(), heldBy);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        qInfo("held by %s after %lld ms, longest stall %d ms", qPrintable(heldBy), clock.elapsed(), stall);
        if (heldBy == QLatin1String("systemd-logind"))
            QCOMPARE(TestBus::logindInhibitors(), QStringList{"idle:sleep|Corvane|why|block"});
        layer.manager.release();
        // Nothing stays; a mistyped boolean carries no cookie to hand back, so only the
        // mock's own record of it may remain.
        const int leftAtGnome = behaviour.value("mistype") == QLatin1String("b") ? 1 : 0;
        QVERIFY(TestBus::waitFor([&] {
            return TestBus::logindInhibitors().isEmpty() && liveGnomeInhibitors() <= leftAtGnome;
        }));
    }

    void restartedServiceHoldsAgainAndAForeignCookieSurvivesOurStop()
    {
        Layer layer;
        auto gnome = std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                                                   gnomeName);
        QSignalSpy granted(&layer.manager, &PowerAssertionManager::granted);
        layer.manager.acquire(AssertionMode::systemOnly, QStringLiteral("why"));
        QVERIFY(TestBus::waitFor([&] { return layer.manager.heldBy() == QLatin1String("GNOME Session Manager"); }));

        gnome.reset();
        // The new instance numbers its cookies from 1 too; a third client holds cookie 1.
        gnome = std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("gnome_session.py")), false,
                                              gnomeName);
        QDBusMessage other = QDBusMessage::createMethodCall(gnomeName, QStringLiteral("/org/gnome/SessionManager"),
                                                            gnomeName, QStringLiteral("Inhibit"));
        other << QStringLiteral("Other") << quint32(0) << QStringLiteral("theirs") << quint32(4);
        QDBusConnection::sessionBus().call(other);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(TestBus::waitFor([&] {
            return liveGnomeInhibitors() == 2 && layer.manager.heldBy() == QLatin1String("GNOME Session Manager");
        }, 1000));
        qInfo("held again by the new owner %lld ms after it appeared", clock.elapsed());

        layer.manager.release();
        QVERIFY(TestBus::waitFor([&] { return liveGnomeInhibitors() == 1; }));
        QTest::qWait(200);
        QCOMPARE(liveGnomeInhibitors(), 1);
        QVERIFY(TestBus::logindInhibitors().isEmpty());
    }

    void modeSwitchOnLogindIsNewThenOld()
    {
        Layer layer;
        layer.manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("a"));
        QVERIFY(TestBus::waitFor([&] { return layer.manager.heldMode().has_value(); }));
        TestBus::clearLogindCalls();
        layer.manager.acquire(AssertionMode::systemOnly, QStringLiteral("b"));
        QVERIFY(TestBus::waitFor([&] { return layer.manager.heldMode() == AssertionMode::systemOnly; }));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors() == QStringList{"sleep|Corvane|b|block"}; }));
        layer.manager.release();
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }
};

QTEST_GUILESS_MAIN(InhibitorsTest)
#include "tst_Inhibitors.moc"
