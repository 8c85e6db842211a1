// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimerRig.h"

#include <QSignalSpy>
#include <QtTest>

using namespace std::chrono;

using Rig = TimerRig;

class CorvaneTimerServiceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void launchesIdleWithStoredChoices_data()
    {
        QTest::addColumn<QVariant>("storedMode");
        QTest::addColumn<QVariant>("storedDuration");
        QTest::addColumn<AssertionMode>("mode");
        QTest::addColumn<WakeDuration>("lastDuration");
        // What the journal is told: one warning per value that fell back.
        QTest::addColumn<QStringList>("warnings");
        const QString mode = QStringLiteral("stored corvane.mode");
        const QString duration = QStringLiteral("stored corvane.lastDuration");
        QTest::newRow("nothing stored") << QVariant() << QVariant() << AssertionMode::displayAndSystem
                                        << WakeDuration::indefinite() << QStringList();
        QTest::newRow("valid") << QVariant(QStringLiteral("systemOnly")) << QVariant(45) << AssertionMode::systemOnly
                               << WakeDuration::minutes(45) << QStringList();
        QTest::newRow("capped") << QVariant(QStringLiteral("displayAndSystem")) << QVariant(5000)
                                << AssertionMode::displayAndSystem << WakeDuration::minutes(2880)
                                << QStringList{duration};
        QTest::newRow("garbage") << QVariant(QStringLiteral("SYSTEMONLY")) << QVariant(QStringLiteral("ninety"))
                                 << AssertionMode::displayAndSystem << WakeDuration::indefinite()
                                 << QStringList{mode, duration};
    }
    void launchesIdleWithStoredChoices()
    {
        QFETCH(QVariant, storedMode);
        QFETCH(QVariant, storedDuration);
        QFETCH(AssertionMode, mode);
        QFETCH(WakeDuration, lastDuration);
        QFETCH(QStringList, warnings);
        for (const QString &warning : warnings)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        Rig rig;
        if (storedMode.isValid())
            rig.settings.values[CorvaneTimerService::modeKey] = storedMode;
        if (storedDuration.isValid())
            rig.settings.values[CorvaneTimerService::lastDurationKey] = storedDuration;
        auto timer = rig.make();
        QCOMPARE(timer->mode(), mode);
        QCOMPARE(timer->lastDuration(), lastDuration);
        QVERIFY(!timer->active());
        QVERIFY(rig.backend.log.isEmpty());
        QCOMPARE(rig.clock.tickers(), 0);
    }

    void countsDownAndStopsAtTheDeadline()
    {
        Rig rig;
        auto timer = rig.make();
        QSignalSpy remaining(timer.get(), &CorvaneTimerService::remainingSecondsChanged);
        timer->start(WakeDuration::minutes(1));
        QCOMPARE(rig.backend.log.last(),
                 QStringLiteral("acquire displayAndSystem Corvane: keeping this computer awake for 1 min"));
        QCOMPARE(rig.settings.values.value(CorvaneTimerService::lastDurationKey).toLongLong(), 1);
        rig.clock.advance(seconds(1));
        QCOMPARE(timer->remainingSeconds(), 59);
        QCOMPARE(timer->progress(), 59.0 / 60.0);

        // A tick that changes nothing notifies nobody.
        remaining.clear();
        rig.clock.advance(milliseconds(500));
        Q_EMIT rig.events.didWake();
        QCOMPARE(remaining.count(), 0);

        // A part second counts as a whole one: the first tick after a stall comes 0.3 s
        // before the deadline.
        rig.clock.sleep(seconds(58) + milliseconds(200));
        rig.clock.advance(milliseconds(0));
        QCOMPARE(timer->remainingSeconds(), 1);
        QVERIFY(timer->active());

        rig.clock.advance(seconds(1));
        QVERIFY(!timer->active());
        QCOMPARE(rig.backend.live.size(), size_t(0));
        QCOMPARE(rig.clock.tickers(), 0);
        QCOMPARE(timer->lastDuration(), WakeDuration::minutes(1));
    }

    // The assertion kept across a restart is the assertion manager's table.
    void restartResetsTheCountdown()
    {
        Rig rig;
        auto timer = rig.make();
        timer->start(WakeDuration::minutes(60));
        rig.clock.advance(seconds(100));
        timer->start(WakeDuration::minutes(30));
        QCOMPARE(timer->remainingSeconds(), 1800);
        timer->start(WakeDuration::indefinite());
        QCOMPARE(rig.clock.tickers(), 0);
        QVERIFY(!timer->endDate());
    }

    void setModeSwapsLiveAssertionWithoutTouchingTheCountdown()
    {
        Rig rig;
        auto timer = rig.make();
        timer->setMode(AssertionMode::systemOnly); // idle: stored, no inhibition
        QCOMPARE(rig.settings.values.value(CorvaneTimerService::modeKey).toString(), QStringLiteral("systemOnly"));
        QVERIFY(rig.backend.log.isEmpty());
        const int writes = rig.settings.writes;
        timer->setMode(AssertionMode::systemOnly);
        QCOMPARE(rig.settings.writes, writes);

        timer->start(WakeDuration::minutes(2));
        rig.clock.advance(seconds(30));
        timer->setMode(AssertionMode::displayAndSystem);
        QCOMPARE(rig.backend.log.mid(1),
                 (QStringList{QStringLiteral("acquire displayAndSystem Corvane: keeping this computer awake for 2 min"),
                              QStringLiteral("release 1")}));
        QCOMPARE(timer->remainingSeconds(), 90);

        // A refused switch ends the period but keeps the chosen mode.
        rig.backend.refuse = true;
        timer->setMode(AssertionMode::systemOnly);
        QVERIFY(timer->assertionFailed());
        QVERIFY(!timer->active());
        QCOMPARE(timer->mode(), AssertionMode::systemOnly);
        QCOMPARE(rig.settings.values.value(CorvaneTimerService::modeKey).toString(), QStringLiteral("systemOnly"));
        QCOMPARE(rig.backend.live.size(), size_t(0));
    }

    void wakeAfterTheDeadlineEndsThePeriod()
    {
        Rig rig;
        auto timer = rig.make();
        timer->start(WakeDuration::minutes(30));
        // Suspended for an hour: the ticker never fired, but the clock kept counting.
        rig.clock.sleep(hours(1));
        Q_EMIT rig.events.didWake();
        QVERIFY(!timer->active());
        QCOMPARE(rig.backend.live.size(), size_t(0));

        timer->start(WakeDuration::minutes(30));
        rig.clock.sleep(minutes(10));
        Q_EMIT rig.events.didWake();
        QCOMPARE(timer->remainingSeconds(), 1200);
    }

    // A period until a time on the wall clock ends when the clock reads it, however the
    // clock is set meanwhile; any other period counts real time and ignores the setting.
    void anEndOnTheWallClockFollowsTheClock_data()
    {
        QTest::addColumn<bool>("untilATime");
        QTest::addColumn<int>("clockSetBy"); // seconds
        QTest::addColumn<qint64>("remaining"); // after the setting and 10 s more
        QTest::newRow("until: an hour on") << true << 3600 << qint64(0);
        QTest::newRow("until: an hour back") << true << -3600 << qint64(3600 + 3600 - 10);
        QTest::newRow("for 1 h: an hour on") << false << 3600 << qint64(3600 - 10);
        QTest::newRow("for 1 h: an hour back") << false << -3600 << qint64(3600 - 10);
    }
    void anEndOnTheWallClockFollowsTheClock()
    {
        QFETCH(bool, untilATime);
        QFETCH(int, clockSetBy);
        QFETCH(qint64, remaining);
        Rig rig;
        auto timer = rig.make();
        const QDateTime end = rig.clock.wallNow().addSecs(3600);
        if (untilATime)
            timer->startUntil(end);
        else
            timer->start(WakeDuration::minutes(60));
        QCOMPARE(timer->active(), WakeDuration::minutes(60));
        QCOMPARE(timer->remainingSeconds(), 3600);
        QCOMPARE(timer->endDate(), end);
        rig.clock.setWallNow(rig.clock.wallNow().addSecs(clockSetBy));
        rig.clock.advance(seconds(10));
        QCOMPARE(timer->remainingSeconds(), remaining);
        QCOMPARE(timer->active().has_value(), remaining > 0);
        if (untilATime && remaining > 0)
            QCOMPARE(timer->endDate(), end);
    }
};

QTEST_GUILESS_MAIN(CorvaneTimerServiceTest)
#include "tst_CorvaneTimerService.moc"
