#include "TimerRig.h"
#include "ui/AnimationClock.h"
#include "ui/CorvaneStyles.h"
#include "ui/EdgeTransition.h"
#include "ui/GlassPopoverView.h"
#include "ui/PresetPill.h"
#include "ui/ProgressBar.h"
#include "ui/StatusChip.h"
#include "ui/WakeSwitch.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <QtTest>

using namespace std::chrono;

namespace {
struct Rig : TimerRig {
    std::unique_ptr<CorvaneTimerService> owned = make();
    CorvaneTimerService &timer = *owned;
    ManualAnimationClock animation;
    int quits = 0;
    GlassPopoverView view{timer, animation, [this] { ++quits; }};

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
    void idle()
    {
        Rig rig;
        QCOMPARE(rig.view.statusChip()->text(), QStringLiteral("Sleep allowed"));
        QCOMPARE(rig.view.wakeSwitch()->title(), QStringLiteral("IDLE"));
        QCOMPARE(rig.view.wakeSwitch()->subtitle(), QStringLiteral("Click to keep this computer awake"));
        QCOMPARE(rig.view.wakeSwitch()->progress(), 0.0);
        QVERIFY(rig.view.progressBar()->isHidden() || !rig.view.progressBar()->isVisibleTo(&rig.view));
        QVERIFY(!rig.view.failureBanner()->isVisibleTo(&rig.view));
        QCOMPARE(rig.selection(), QList<bool>(6, false));
        QCOMPARE(rig.view.accent(), CorvaneStyles::amber());
    }

    void timedAndIndefinite()
    {
        Rig rig;
        rig.timer.start(WakeDuration::minutes(60));
        rig.clock.advance(seconds(1));
        rig.tickers.fire();
        QCOMPARE(rig.view.statusChip()->text(), QStringLiteral("59:59"));
        QCOMPARE(rig.view.wakeSwitch()->title(), QStringLiteral("AWAKE"));
        QCOMPARE(rig.view.wakeSwitch()->progress(), 3599.0 / 3600.0);
        QVERIFY(rig.view.progressBar()->isVisibleTo(&rig.view));
        QCOMPARE(rig.view.progressBar()->value(), 3599.0 / 3600.0);
        QCOMPARE(rig.selection(), (QList<bool>{false, true, false, false, false, false}));
        // 14:00 now plus 3599 s, in a short time format without seconds.
        QVERIFY2(rig.view.wakeSwitch()->subtitle().startsWith(QStringLiteral("Until ")), qPrintable(rig.view.wakeSwitch()->subtitle()));
        QVERIFY(!rig.view.wakeSwitch()->subtitle().contains(QStringLiteral(":59:")));

        rig.timer.start(WakeDuration::indefinite());
        QCOMPARE(rig.view.statusChip()->text(), QStringLiteral("\u221E Indefinite Wake"));
        QCOMPARE(rig.view.wakeSwitch()->subtitle(), QStringLiteral("Until turned off"));
        QCOMPARE(rig.view.wakeSwitch()->progress(), 1.0);
        QVERIFY(!rig.view.progressBar()->isVisibleTo(&rig.view));
        QCOMPARE(rig.selection(), (QList<bool>{false, false, false, false, false, true}));
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

    void refusalShowsTheBannerInAmber()
    {
        Rig rig;
        rig.timer.setMode(AssertionMode::systemOnly);
        QCOMPARE(rig.view.accent(), CorvaneStyles::cyan());
        rig.backend.refuse = true;
        rig.view.pills()[2]->click();
        QVERIFY(rig.view.failureBanner()->isVisibleTo(&rig.view));
        QCOMPARE(rig.view.wakeSwitch()->title(), QStringLiteral("IDLE"));
        rig.backend.refuse = false;
        rig.view.pills()[2]->click();
        QVERIFY(!rig.view.failureBanner()->isVisibleTo(&rig.view));
        QCOMPARE(rig.view.wakeSwitch()->accent(), CorvaneStyles::cyan());
    }

    void endTimeCarriesTheDayWhenNotToday_data()
    {
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QString>("text");
        // Thursday 2024-05-16, evening.
        const QDateTime now(QDate(2024, 5, 16), QTime(20, 10));
        QTest::newRow("later today") << now.addSecs(90 * 60) << QStringLiteral("Until 21:40");
        QTest::newRow("past midnight") << QDateTime(QDate(2024, 5, 17), QTime(0, 5)) << QStringLiteral("Until tomorrow 00:05");
        QTest::newRow("24 h") << now.addDays(1) << QStringLiteral("Until tomorrow 20:10");
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

    void tabVisitsTheControlsTopToBottomAndKeysPressThem()
    {
        Rig rig;
        rig.view.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.view));
        rig.view.setFocus();
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{QStringLiteral("wake-switch"), QStringLiteral("preset-0"), QStringLiteral("preset-1"),
                                     QStringLiteral("preset-2"), QStringLiteral("preset-3"), QStringLiteral("preset-4"),
                                     QStringLiteral("preset-5"), QStringLiteral("wake-switch")}));

        // The focused control shows a ring where it had none.
        auto *pill = rig.view.pills()[1];
        pill->setFocus(Qt::TabFocusReason);
        const QImage focused = pill->grab().toImage();
        rig.view.wakeSwitch()->setFocus();
        const QImage unfocused = pill->grab().toImage();
        QVERIFY(focused != unfocused);

        QTest::keyClick(rig.view.wakeSwitch(), Qt::Key_Space);
        QCOMPARE(rig.view.wakeSwitch()->title(), QStringLiteral("AWAKE"));
        QTest::keyClick(rig.view.wakeSwitch(), Qt::Key_Return);
        QCOMPARE(rig.view.wakeSwitch()->title(), QStringLiteral("IDLE"));
        pill->setFocus();
        QTest::keyClick(pill, Qt::Key_Enter);
        QVERIFY(rig.selection()[1]);
    }

    void barBannerAndChipMoveInsteadOfJumping()
    {
        Rig rig;
        rig.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.view));
        const QColor idleFill = rig.view.statusChip()->fillNow();
        rig.timer.start(WakeDuration::minutes(60));
        // The bar's room opens at once; the bar slides down into it, fading in, and the
        // chip's capsule turns from white to the accent.
        QVERIFY(rig.view.progressBar()->isVisible());
        rig.animation.advance(0.06);
        const double entering = rig.view.progressTransition().presence();
        QVERIFY(entering > 0.05 && entering < 0.95);
        QVERIFY(rig.view.statusChip()->fillNow() != idleFill);
        QVERIFY(rig.view.statusChip()->fillNow() != CorvaneStyles::withOpacity(CorvaneStyles::amber(), 0.14));
        rig.animation.advance(1.5);
        QCOMPARE(rig.view.progressTransition().presence(), 1.0);
        QCOMPARE(rig.view.statusChip()->fillNow(), CorvaneStyles::withOpacity(CorvaneStyles::amber(), 0.14));

        // Seconds pass: the changed digits roll into place.
        for (int i = 0; i < 2; ++i) {
            rig.clock.advance(seconds(1));
            rig.tickers.fire();
        }
        QCOMPARE(rig.view.statusChip()->text(), QStringLiteral("59:58"));
        rig.animation.advance(0.1);
        QVERIFY(rig.view.statusChip()->digitProgress() > 0.0 && rig.view.statusChip()->digitProgress() < 1.0);
        rig.animation.advance(0.3);
        QCOMPARE(rig.view.statusChip()->digitProgress(), 1.0);

        // A refusal slides the banner in; stopping slides the bar out, which keeps its room
        // until it has gone.
        rig.timer.stop();
        rig.backend.refuse = true;
        rig.view.pills()[0]->click();
        QVERIFY(rig.view.failureBanner()->isVisible());
        QVERIFY(rig.view.progressBar()->isVisible());
        rig.animation.advance(0.06);
        QVERIFY(rig.view.bannerTransition().presence() < 0.95);
        QVERIFY(rig.view.progressTransition().presence() > 0.05);
        rig.animation.advance(1.5);
        QVERIFY(!rig.view.progressBar()->isVisible());
        QCOMPARE(rig.view.bannerTransition().presence(), 1.0);
        QCOMPARE(rig.animation.activeSubscriptions(), 0);
    }

    void ctrlQQuits()
    {
        Rig rig;
        rig.view.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.view));
        QTest::keyClick(&rig.view, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(rig.quits, 1);
    }
};

QTEST_MAIN(GlassPopoverViewTest)
#include "tst_GlassPopoverView.moc"
