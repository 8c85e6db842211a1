// SPDX-License-Identifier: GPL-3.0-or-later
// The reasons to stay awake: the decision over period, triggers and battery, and the timer
// service holding the one inhibition for all of them on a recording backend.
#include "TimerRig.h"
#include "wake/TriggerSource.h"
#include "wake/WakeDecision.h"

#include <QSignalSpy>
#include <QtTest>

using namespace std::chrono;

namespace {
class FakeTrigger : public TriggerSource {
public:
    FakeTrigger(QString words, std::optional<AssertionMode> mode) : m_words(std::move(words)), m_mode(mode) {}
    bool isActive() const override { return m_active; }
    QString words() const override { return m_active ? m_words : QString(); }
    std::optional<AssertionMode> wantedMode() const override { return m_mode; }
    void set(bool active)
    {
        m_active = active;
        Q_EMIT changed();
    }

private:
    QString m_words;
    std::optional<AssertionMode> m_mode;
    bool m_active = false;
};

const auto display = AssertionMode::displayAndSystem;
const auto systemOnly = AssertionMode::systemOnly;
const QString media = QStringLiteral("mpv plays media");
const QString remote = QStringLiteral("someone is logged in remotely");
const QString app = QStringLiteral("blender runs");

QString acquired(AssertionMode mode, const QString &reason)
{
    return QStringLiteral("acquire %1 %2").arg(AssertionModes::rawValue(mode), reason);
}
} // namespace

using Triggers = QList<WakeDecision::Trigger>;
Q_DECLARE_METATYPE(Triggers)
Q_DECLARE_METATYPE(std::optional<WakeDuration>)

class TriggersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decides_data()
    {
        QTest::addColumn<std::optional<WakeDuration>>("period");
        QTest::addColumn<AssertionMode>("panelMode");
        QTest::addColumn<Triggers>("triggers");
        QTest::addColumn<bool>("onBattery");
        QTest::addColumn<bool>("triggersOnBattery");
        QTest::addColumn<bool>("hold");
        QTest::addColumn<AssertionMode>("mode");
        QTest::addColumn<QString>("reason"); // "period" for the period's own text
        QTest::addColumn<QString>("trigger");

        const std::optional<WakeDuration> none;
        const std::optional<WakeDuration> period = WakeDuration::minutes(30);
        const WakeDecision::Trigger mediaPlays{media, display};
        const WakeDecision::Trigger remoteLogin{remote, systemOnly};
        const WakeDecision::Trigger appRuns{app, std::nullopt};

        QTest::addRow("period alone, in the panel's mode")
            << period << systemOnly << Triggers{} << false << false << true << systemOnly << "period"
            << "";
        QTest::addRow("media wants the display") << none << systemOnly << Triggers{mediaPlays} << false << false << true
                                                 << display << "while " + media << media;
        QTest::addRow("a program follows the panel")
            << none << systemOnly << Triggers{appRuns} << false << false << true << systemOnly << "while " + app << app;
        QTest::addRow("the strongest trigger names the reason")
            << none << systemOnly << Triggers{remoteLogin, mediaPlays} << false << false << true << display
            << "while " + media << media;
        // Every surface names the period while it runs, the trigger once it is over.
        QTest::addRow("period is the cause named, media raises the mode")
            << period << systemOnly << Triggers{mediaPlays} << false << false << true << display << "period"
            << "";
        QTest::addRow("on battery the triggers hold nothing")
            << none << display << Triggers{mediaPlays, remoteLogin} << true << false << false << display << ""
            << "";
        QTest::addRow("on battery when the user allows it")
            << none << display << Triggers{mediaPlays} << true << true << true << display << "while " + media << media;
        QTest::addRow("on battery the period still holds")
            << period << systemOnly << Triggers{mediaPlays} << true << false << true << systemOnly << "period"
            << "";
    }
    void decides()
    {
        QFETCH(std::optional<WakeDuration>, period);
        QFETCH(AssertionMode, panelMode);
        QFETCH(Triggers, triggers);
        QFETCH(bool, onBattery);
        QFETCH(bool, triggersOnBattery);
        QFETCH(bool, hold);
        QFETCH(AssertionMode, mode);
        QFETCH(QString, reason);
        QFETCH(QString, trigger);

        const WakeDecision decision = WakeDecision::decide({period, panelMode, triggers, onBattery, triggersOnBattery});
        QCOMPARE(decision.hold, hold);
        QCOMPARE(decision.trigger, trigger);
        if (!hold) {
            QVERIFY(decision.reason.isEmpty());
            return;
        }
        QCOMPARE(decision.mode, mode);
        if (reason == QLatin1String("period"))
            QCOMPARE(decision.reason, CorvaneTimerService::reasonText(*period));
        else
            QCOMPARE(decision.reason, QStringLiteral("Corvane: keeping this computer awake ") + reason);
    }

    // A trigger alone holds and names itself, the period's state untouched. Period and
    // trigger share one inhibition: each change of reason takes the new one before the old
    // goes, and stopping the period, or its own end, leaves the trigger's.
    void thePeriodAndATriggerShareOneInhibition()
    {
        TimerRig rig;
        auto timer = rig.make();
        FakeTrigger ssh(remote, systemOnly);
        timer->addTrigger(ssh);
        QSignalSpy triggerChanged(timer.get(), &CorvaneTimerService::triggerChanged);
        QSignalSpy activeChanged(timer.get(), &CorvaneTimerService::activeChanged);
        ssh.set(true);
        QCOMPARE(rig.backend.log, QStringList{acquired(systemOnly, WakeDecision::triggerReason(remote))});
        QCOMPARE(timer->trigger(), remote);
        QVERIFY(timer->held());
        QCOMPARE(activeChanged.size(), 0);

        // Held throughout: while the period's inhibition is asked for, and after it stops.
        QSignalSpy heldChanged(timer.get(), &CorvaneTimerService::heldChanged);
        timer->start(WakeDuration::minutes(1));
        QCOMPARE(rig.backend.log.mid(1),
                 (QStringList{acquired(display, CorvaneTimerService::reasonText(WakeDuration::minutes(1))),
                              QStringLiteral("release 1")}));
        QCOMPARE(rig.backend.live.size(), size_t(1));
        QVERIFY(timer->trigger().isEmpty());
        timer->stop();
        QCOMPARE(rig.backend.log.mid(3),
                 (QStringList{acquired(systemOnly, WakeDecision::triggerReason(remote)), QStringLiteral("release 2")}));
        QVERIFY(timer->held());
        QCOMPARE(heldChanged.size(), 0);

        timer->start(WakeDuration::minutes(1));
        rig.clock.advance(seconds(60));
        QVERIFY(!timer->active());
        QCOMPARE(rig.backend.log.last(), QStringLiteral("release 4"));
        QCOMPARE(rig.backend.live.size(), size_t(1));
        QCOMPARE(timer->trigger(), remote);

        ssh.set(false);
        QCOMPARE(rig.backend.live.size(), size_t(0));
        QVERIFY(timer->trigger().isEmpty());
        QCOMPARE(triggerChanged.size(), 6); // named, then the period twice over, then gone
        // Leaving lets go of everything, whatever the triggers say.
        ssh.set(true);
        timer->stopAll();
        QCOMPARE(rig.backend.live.size(), size_t(0));
        QVERIFY(!timer->held());
    }

    // A trigger that matches what is held changes nothing; a watcher that goes away takes
    // its reason along.
    void watchersThatGoTakeTheirReasonAlong()
    {
        TimerRig rig;
        auto timer = rig.make();
        auto blender = std::make_unique<FakeTrigger>(app, std::nullopt);
        FakeTrigger player(media, display);
        timer->addTrigger(*blender);
        timer->addTrigger(player);
        timer->setMode(systemOnly);
        blender->set(true);
        timer->start(WakeDuration::indefinite());
        player.set(true);
        const qsizetype before = rig.backend.log.size();
        blender.reset(); // the period and the player still want what is held
        QCOMPARE(rig.backend.log.size(), before);
        QVERIFY(timer->trigger().isEmpty());
        player.set(false);
        QCOMPARE(rig.backend.log.mid(before, 1),
                 QStringList{acquired(systemOnly, CorvaneTimerService::reasonText(WakeDuration::indefinite()))});
        QVERIFY(timer->trigger().isEmpty());
    }

    // A refused trigger inhibition is not asked for again in a loop; the next change asks.
    void aRefusalWaitsForTheNextChange()
    {
        TimerRig rig;
        auto timer = rig.make();
        FakeTrigger player(media, display);
        timer->addTrigger(player);
        rig.backend.refuse = true;
        player.set(true);
        QCoreApplication::processEvents();
        QCOMPARE(rig.backend.log.size(), 1);
        QVERIFY(!timer->held());
        QCOMPARE(timer->trigger(), media);
        rig.backend.refuse = false;
        timer->setMode(AssertionMode::systemOnly);
        QCOMPARE(rig.backend.log.size(), 2);
        QVERIFY(timer->held());
    }
};

QTEST_GUILESS_MAIN(TriggersTest)
#include "tst_Triggers.moc"
