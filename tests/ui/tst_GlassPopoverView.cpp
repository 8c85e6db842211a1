// SPDX-License-Identifier: GPL-3.0-or-later
// The popover against a real timer service on a recording inhibitor: what it shows in each
// state, what its controls start and stop, how its parts come and go, and the custom
// duration section inside it. Animation time is stepped by hand.
#include "TestSupport.h"
#include "TimerRig.h"
#include "ui/CorvaneStyles.h"
#include "ui/CustomDurationSection.h"
#include "ui/DurationWheelPicker.h"
#include "ui/EdgeTransition.h"
#include "ui/GlassPopoverView.h"
#include "ui/PresetPill.h"
#include "ui/ProgressBar.h"
#include "ui/StatusChip.h"
#include "ui/WakeSwitch.h"
#include "ui/WheelColumn.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QtTest>

using namespace std::chrono;

namespace {
struct Rig : TimerRig {
    TimerRig::Stack owned = make();
    CorvaneTimerService &timer = *owned;
    ManualClock &animation = clock;
    MemorySettingsStore custom; // the custom section's own settings
    GlassPopoverView view{timer, animation, [] {}};

    QList<bool> selection() const
    {
        QList<bool> out;
        for (PresetPill *pill : view.pills())
            out << pill->isSelected();
        return out;
    }
};
} // namespace

class GlassPopoverViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheState_data()
    {
        QTest::addColumn<int>("minutes"); // 0: idle, -1: until turned off
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("title");
        QTest::addColumn<double>("fill");
        QTest::addColumn<bool>("bar");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("subtitle"); // how it starts: the end time has no seconds
        QTest::newRow("idle") << 0 << "Sleep allowed"
                              << "IDLE" << 0.0 << false << -1 << "Click to keep this computer awake";
        QTest::newRow("1 h, a second in") << 60 << "59:59"
                                          << "AWAKE" << 3599.0 / 3600.0 << true << 1 << "Until ";
        QTest::newRow("until turned off") << -1 << "\u221E Indefinite Wake"
                                          << "AWAKE" << 1.0 << false << 5 << "Until turned off";
    }
    void showsTheState()
    {
        QFETCH(int, minutes);
        Rig rig;
        if (minutes)
            rig.timer.start(minutes > 0 ? WakeDuration::minutes(minutes) : WakeDuration::indefinite());
        rig.clock.advance(seconds(1));
        QTEST(rig.view.statusChip()->text(), "chip");
        QTEST(rig.view.wakeSwitch()->title(), "title");
        QTEST(rig.view.wakeSwitch()->progress(), "fill");
        QTEST(rig.view.progressBar()->isVisibleTo(&rig.view), "bar");
        QFETCH(int, selected);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(rig.selection()[i], i == selected);
        QFETCH(QString, subtitle);
        const QString shown = rig.view.wakeSwitch()->subtitle();
        QVERIFY2(shown.startsWith(subtitle) && !shown.contains(QStringLiteral(":59:")), qPrintable(shown));
        QVERIFY(!rig.view.failureBanner()->isVisibleTo(&rig.view));
    }

    void presetsSwitchAndStop()
    {
        Rig rig;
        rig.view.pills()[1]->click();
        QCOMPARE(rig.timer.active(), WakeDuration::minutes(60));
        // Another preset switches without a stop in between.
        rig.view.pills()[0]->click();
        QCOMPARE(rig.timer.active(), WakeDuration::minutes(15));
        // (the new inhibition, with the new reason, replaced the old)
        QCOMPARE(rig.backend.live.size(), size_t(1));
        // The running one stops.
        rig.view.pills()[0]->click();
        QVERIFY(!rig.timer.active());
        QVERIFY(rig.backend.live.empty());

        rig.view.wakeSwitch()->click();
        QCOMPARE(rig.timer.active(), WakeDuration::minutes(15)); // the last duration
        rig.view.wakeSwitch()->click();
        QVERIFY(!rig.timer.active());
    }

    // The switch is painted by hand, so a screen reader knows it only from what it reports.
    void aScreenReaderCanReadAndPressTheSwitch()
    {
        Rig rig;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(rig.view.wakeSwitch());
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Keep awake"));
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("Off"));
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(rig.timer.active());
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("On"));
        QVERIFY(a->state().checkable && a->state().checked);
    }

    void endTimeCarriesTheDayWhenNotToday_data()
    {
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QString>("text");
        // Thursday 2024-05-16, evening.
        const QDateTime now(QDate(2024, 5, 16), QTime(20, 10));
        QTest::newRow("later today") << now.addSecs(90 * 60) << QStringLiteral("Until 21:40");
        QTest::newRow("past midnight") << QDateTime(QDate(2024, 5, 17), QTime(0, 5))
                                       << QStringLiteral("Until tomorrow 00:05");
        QTest::newRow("48 h") << now.addDays(2) << QStringLiteral("Until Sat 20:10");
        QTest::newRow("6 days") << now.addDays(6) << QStringLiteral("Until Wed 20:10");
    }

    void endTimeCarriesTheDayWhenNotToday()
    {
        QFETCH(QDateTime, end);
        QFETCH(QString, text);
        const QDateTime now(QDate(2024, 5, 16), QTime(20, 10));
        QCOMPARE(GlassPopoverView::endTimeText(end, now, QLocale(QLocale::English, QLocale::UnitedKingdom)), text);
    }

    void barAndBannerMoveInsteadOfJumping()
    {
        Rig rig;
        rig.timer.setMode(AssertionMode::systemOnly);
        QCOMPARE(rig.view.wakeSwitch()->accent(), CorvaneStyles::cyan()); // the mode's colour
        rig.view.show();
        QVERIFY(TestBus::onScreen(&rig.view));
        rig.timer.start(WakeDuration::minutes(60));
        // The bar's room opens at once; the bar slides down into it.
        QVERIFY(rig.view.progressBar()->isVisible());
        rig.animation.advance(60ms);
        const double entering = rig.view.progressTransition().presence();
        QVERIFY(entering > 0.05 && entering < 0.95);
        rig.animation.advance(1500ms);
        QCOMPARE(rig.view.progressTransition().presence(), 1.0);

        // A refusal slides the banner in; stopping slides the bar out, which keeps its room
        // until it has gone.
        rig.timer.stop();
        rig.backend.refuse = true;
        rig.view.pills()[0]->click();
        QVERIFY(rig.view.failureBanner()->isVisible());
        QCOMPARE(rig.view.wakeSwitch()->title(), QStringLiteral("IDLE"));
        QVERIFY(rig.view.progressBar()->isVisible());
        rig.animation.advance(60ms);
        QVERIFY(rig.view.bannerTransition().presence() < 0.95);
        QVERIFY(rig.view.progressTransition().presence() > 0.05);
        rig.animation.advance(1500ms);
        QVERIFY(!rig.view.progressBar()->isVisible());
        QCOMPARE(rig.view.bannerTransition().presence(), 1.0);
        QCOMPARE(rig.animation.frameSubscriptions(), 0);
        // The next start that holds takes it away.
        rig.backend.refuse = false;
        rig.view.pills()[0]->click();
        rig.animation.advance(1500ms);
        QVERIFY(!rig.view.failureBanner()->isVisible());
    }

    void turningAWheelWritesAtOnce()
    {
        Rig rig;
        auto *section = new CustomDurationSection(rig.timer, rig.custom, rig.animation);
        rig.view.setCustomSection(section);
        section->setShowCustom(true);
        rig.view.show();
        QVERIFY(TestBus::onScreen(&rig.view));
        QTest::keyClick(section->picker()->minutesColumn(), Qt::Key_Down);
        QCOMPARE(rig.custom.integer(CustomDurationSection::minutesKey), std::optional<qint64>(31));
        QCOMPARE(rig.custom.writes, 1); // the hours were not touched
        QCOMPARE(section->startButton()->text(), QStringLiteral("Keep awake for 2 h 31 min"));
        // To 48 h: the picker clears the minutes, and both are stored as the wheels show them.
        QTest::keyClick(section->picker()->hoursColumn(), Qt::Key_End);
        QCOMPARE(rig.custom.integer(CustomDurationSection::hoursKey), std::optional<qint64>(48));
        QCOMPARE(rig.custom.integer(CustomDurationSection::minutesKey), std::optional<qint64>(0));
    }
};

QTEST_MAIN(GlassPopoverViewTest)
#include "tst_GlassPopoverView.moc"
