// SPDX-License-Identifier: GPL-3.0-or-later
// The assertion manager against fakes: the chain it asks (its walk and deadline), its
// make-before-break and renewal, and the timer service's asynchronous start through it.
#include "ManualClock.h"
#include "TimerRig.h"
#include "wake/InhibitorChain.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
// A mechanism that answers as the row says: "yes", "no", "hang", or "late" (a yes after
// the chain gave up).
struct Scripted : RecordingInhibitor {
    explicit Scripted(const QString &n)
    {
        mechanismName = n;
        answerLater = true;
    }
};

struct ChainRig {
    ManualClock time;
    std::vector<std::unique_ptr<Scripted>> steps;
    std::unique_ptr<InhibitorChain> chain;

    explicit ChainRig(int count)
    {
        for (int i = 0; i < count; ++i)
            steps.push_back(std::make_unique<Scripted>(QStringLiteral("m%1").arg(i)));
        chain = std::make_unique<InhibitorChain>(
            [this](AssertionMode) {
                QList<Inhibitor *> list;
                for (auto &s : steps)
                    list << s.get();
                return list;
            },
            time, InhibitorChain::Timing{1800, 600, 450});
    }
};
} // namespace

class PowerAssertionManagerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: how each mechanism answers (in order, the last is the last resort), when
    // (ms after asking); which one holds (or none) and when the outcome is known.
    void chainWalksUnderOneDeadline_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("heldBy");
        QTest::addColumn<int>("decidedAtMs");
        QTest::newRow("all refuse") << QStringList{"no", "no"} << QString() << 0;
        QTest::newRow("one hangs") << QStringList{"hang", "yes", "yes"} << "m1" << 450;
        // Every service but the last resort hangs: the last is still asked in time.
        QTest::newRow("all but the last resort hang")
            << QStringList{"hang", "hang", "hang", "hang", "hang", "yes"} << "m5" << 1200;
        QTest::newRow("the last resort hangs too") << QStringList{"hang", "hang"} << QString() << 1800;
    }
    void chainWalksUnderOneDeadline()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, heldBy);
        QFETCH(int, decidedAtMs);
        ChainRig rig(int(answers.size()));
        std::unique_ptr<Grant> grant = rig.chain->request(AssertionMode::systemOnly, QStringLiteral("r"));
        int elapsed = 0;
        for (; elapsed <= 2000 && grant->state() == Grant::State::Pending; elapsed += 50) {
            for (int i = 0; i < answers.size(); ++i) {
                auto &step = *rig.steps[size_t(i)];
                if (!step.waiting.empty() && answers.at(i) != QLatin1String("hang"))
                    step.answer(answers.at(i) == QLatin1String("yes"));
            }
            if (grant->state() != Grant::State::Pending)
                break;
            rig.time.advance(std::chrono::milliseconds(50));
        }
        QCOMPARE(grant->state(), heldBy.isEmpty() ? Grant::State::Refused : Grant::State::Held);
        QCOMPARE(grant->heldBy(), heldBy);
        QVERIFY2(qAbs(elapsed - decidedAtMs) <= 50, qPrintable(QString::number(elapsed)));
        // Nothing but the holder keeps anything; a hung step's late yes would be handed back.
        int live = 0;
        for (auto &step : rig.steps)
            live += int(step->live.size());
        QCOMPARE(live, heldBy.isEmpty() ? 0 : 1);
        grant->release();
        for (auto &step : rig.steps)
            QVERIFY(step->live.empty());
    }

    void managerSwitchesNewBeforeOldAndRenewsALoss()
    {
        RecordingInhibitor inhibitor;
        ManualClock time;
        PowerAssertionManager manager(inhibitor, nullptr, time, {1000, 4000});
        QSignalSpy lost(&manager, &PowerAssertionManager::lost);
        manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("a"));
        manager.acquire(AssertionMode::systemOnly, QStringLiteral("b"));
        QCOMPARE(inhibitor.log, (QStringList{"acquire displayAndSystem a", "acquire systemOnly b", "release 1"}));
        QCOMPARE(manager.heldMode(), AssertionMode::systemOnly);

        // A refused switch keeps what was held.
        inhibitor.refuse = true;
        manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("c"));
        QCOMPARE(manager.heldMode(), AssertionMode::systemOnly);
        QCOMPARE(inhibitor.live, (std::set<quint32>{2}));

        // Lost, and nothing grants: reported, then retried with back-off until one does;
        // the lost grant is never released (its token means nothing to a new owner).
        inhibitor.log.clear();
        inhibitor.loseHeld();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(lost.count(), 1);
        QVERIFY(!manager.heldMode());
        time.advance(std::chrono::milliseconds(999));
        QCOMPARE(inhibitor.log.size(), 1);
        time.advance(std::chrono::milliseconds(1));
        QCOMPARE(lost.count(), 2);
        inhibitor.refuse = false;
        time.advance(std::chrono::milliseconds(1999));
        QVERIFY(!manager.heldMode());
        time.advance(std::chrono::milliseconds(1));
        QCOMPARE(manager.heldMode(), AssertionMode::systemOnly);
        QCOMPARE(inhibitor.log, (QStringList{"acquire systemOnly b", "acquire systemOnly b", "acquire systemOnly b"}));

        // A service that appears lets a chain held further down move back up.
        Q_EMIT inhibitor.serviceAppeared();
        QCOMPARE(inhibitor.log.mid(3), (QStringList{"acquire systemOnly b", "release 6"}));
        manager.release();
        manager.release();
        QVERIFY(inhibitor.live.empty());
        QCOMPARE(time.pendingCalls(), 0);
    }

    // The timer service while the answer is outstanding, and what each answer does to it;
    // a start its caller gave up on takes no effect, whatever the system answers later.
    void timerClaimsThePeriodOnlyWhenHeld_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("abandoned");
        QTest::addColumn<bool>("yes");
        QTest::newRow("start granted") << false << false << true;
        QTest::newRow("start refused") << false << false << false;
        QTest::newRow("change granted") << true << false << true;
        QTest::newRow("change refused keeps the period") << true << false << false;
        QTest::newRow("abandoned, granted later") << false << true << true;
        QTest::newRow("abandoned in a period, granted later") << true << true << true;
        QTest::newRow("abandoned in a period, refused later") << true << true << false;
    }
    void timerClaimsThePeriodOnlyWhenHeld()
    {
        QFETCH(bool, running);
        QFETCH(bool, abandoned);
        QFETCH(bool, yes);
        TimerRig rig;
        rig.backend.mechanismName = QStringLiteral("GNOME Session Manager");
        auto timer = rig.make();
        const auto before = running ? std::optional(WakeDuration::minutes(60)) : std::nullopt;
        if (running)
            timer->start(*before);
        rig.backend.answerLater = true;
        QSignalSpy active(timer.get(), &CorvaneTimerService::activeChanged);
        const auto stored = rig.settings.values;
        timer->start(WakeDuration::minutes(30));
        QVERIFY(timer->starting());
        QCOMPARE(active.count(), 0);
        QCOMPARE(rig.clock.tickers(), running ? 1 : 0);
        if (abandoned)
            timer->abandonStart();
        rig.backend.answer(yes);
        if (abandoned)
            rig.backend.answer(true); // the running period's reason, asked for again
        QVERIFY(!timer->starting());
        QCOMPARE(timer->assertionFailed(), !yes && !abandoned);
        const auto expected = yes && !abandoned ? std::optional(WakeDuration::minutes(30)) : before;
        QCOMPARE(timer->active(), expected);
        QCOMPARE(active.count(), int(expected != before));
        if (!yes) // a refusal changes nothing but the failure flag
            QCOMPARE(rig.settings.values, stored);
        QCOMPARE(timer->heldBy(), expected ? QStringLiteral("GNOME Session Manager") : QString());
        QCOMPARE(rig.backend.live.size(), size_t(expected ? 1 : 0));
        // An abandoned change, granted, holds under the running period's reason.
        if (running && yes && abandoned)
            QVERIFY2(rig.backend.log.filter(QStringLiteral("acquire")).last().endsWith(QStringLiteral("for 1 h")),
                     qPrintable(rig.backend.log.join(u'|')));
        timer->stop();
        QVERIFY(rig.backend.live.empty());
        QVERIFY(timer->heldBy().isEmpty());
        // A called-off power-off retakes only for a running period.
        Q_EMIT rig.events.powerOffCancelled();
        QVERIFY(rig.backend.live.empty());
    }
};

QTEST_GUILESS_MAIN(PowerAssertionManagerTest)
#include "tst_PowerAssertionManager.moc"
