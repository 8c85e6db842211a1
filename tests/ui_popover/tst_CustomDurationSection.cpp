// The custom duration: what it shows and starts for the stored values, what it writes
// back (only what the wheels chose), and how the editor comes and goes.
#include "RecordingBackend.h"
#include "TestSupport.h"
#include "platform/Haptics.h"
#include "platform/SystemEvents.h"
#include "ui/AnimationClock.h"
#include "ui/CorvaneStyles.h"
#include "ui/CustomDurationSection.h"
#include "ui/DurationWheelPicker.h"
#include "ui/GlassPopoverView.h"
#include "ui/PresetPill.h"
#include "ui/WheelColumn.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <QAbstractButton>
#include <QtTest>

namespace {
struct Rig {
    RecordingBackend backend;
    PowerAssertionManager manager{backend};
    MemorySettingsStore settings; // the section's
    MemorySettingsStore timerSettings;
    FakeClock clock;
    FakeTickers tickers;
    SystemEvents events{false};
    ManualAnimationClock animation{1000.0};
    std::unique_ptr<CorvaneTimerService> timer;
    QStringList haptics; // each entry also says whether a wake period was running then

    Rig(std::optional<qint64> hours, std::optional<qint64> minutes)
    {
        if (hours)
            settings.values[CustomDurationSection::hoursKey] = *hours;
        if (minutes)
            settings.values[CustomDurationSection::minutesKey] = *minutes;
        timer = std::make_unique<CorvaneTimerService>(manager, timerSettings,
                                                      TimerServiceEnvironment{&clock, tickers.factory(), &events});
        Haptics::setPerformer([this](Haptics::Pattern p) {
            haptics << QStringLiteral("%1 %2").arg(p == Haptics::Pattern::LevelChange ? "level" : "align",
                                                   timer->active() ? "awake" : "idle");
        });
    }
    ~Rig() { Haptics::setPerformer({}); }

    std::unique_ptr<CustomDurationSection> section()
    {
        return std::make_unique<CustomDurationSection>(*timer, settings, nullptr, &animation);
    }
};
} // namespace

class CustomDurationSectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstRunShowsAndStartsTheDefaults()
    {
        Rig rig(std::nullopt, std::nullopt);
        auto section = rig.section();
        QCOMPARE(section->durationText(), QStringLiteral("2 h 30 min"));
        QCOMPARE(section->startButton()->text(), QStringLiteral("Keep awake for 2 h 30 min"));
        QCOMPARE(section->picker()->hours(), 2);
        QCOMPARE(section->picker()->minutes(), 30);
        QVERIFY(!section->showCustom());

        section->startButton()->click();
        QCOMPARE(rig.timer->active(), std::optional(WakeDuration::minutes(150)));
        // Haptic first, then the start.
        QCOMPARE(rig.haptics, QStringList{QStringLiteral("level idle")});
        // Reading the defaults stores nothing.
        QCOMPARE(rig.settings.writes, 0);
    }

    void nothingToStartDisablesTheButton_data()
    {
        QTest::addColumn<qint64>("hours");
        QTest::addColumn<qint64>("minutes");
        QTest::newRow("0 h 0 min") << qint64(0) << qint64(0);
        // A hand-edited file: a negative total is nothing to start either.
        QTest::newRow("negative") << qint64(-1) << qint64(30);
    }
    void nothingToStartDisablesTheButton()
    {
        QFETCH(qint64, hours);
        QFETCH(qint64, minutes);
        Rig rig(hours, minutes);
        auto section = rig.section();
        QCOMPARE(section->startButton()->text(), QStringLiteral("Keep awake for 0 min"));
        QVERIFY(!section->startButton()->isEnabled());
        QCOMPARE(section->startOpacity(), 0.4);
        section->startButton()->click();
        QVERIFY(!rig.timer->active());
        QVERIFY(rig.backend.log.isEmpty());
        QVERIFY(rig.haptics.isEmpty());
    }

    void storedValuesBeyondTheCapAreShownCappedAndKept_data()
    {
        QTest::addColumn<qint64>("hours");
        QTest::addColumn<qint64>("minutes");
        QTest::newRow("50 h") << qint64(50) << qint64(0);
        QTest::newRow("48 h 30 min") << qint64(48) << qint64(30);
        QTest::newRow("garbage that would overflow") << (qint64(1) << 62) << qint64(5);
    }
    void storedValuesBeyondTheCapAreShownCappedAndKept()
    {
        QFETCH(qint64, hours);
        QFETCH(qint64, minutes);
        Rig rig(hours, minutes);
        auto section = rig.section();
        QCOMPARE(section->durationText(), QStringLiteral("48 h"));
        QCOMPARE(section->startButton()->text(), QStringLiteral("Keep awake for 48 h"));
        section->startButton()->click();
        QCOMPARE(rig.timer->active(), std::optional(WakeDuration::minutes(2880)));
        // The wheels may have had to show something else; the settings still hold the user's.
        QCOMPARE(rig.settings.integer(CustomDurationSection::hoursKey), std::optional(hours));
        QCOMPARE(rig.settings.integer(CustomDurationSection::minutesKey), std::optional(minutes));
        QCOMPARE(rig.settings.writes, 0);
    }

    void turningAWheelWritesAtOnceAndTicks()
    {
        Rig rig(std::nullopt, std::nullopt);
        auto section = rig.section();
        section->setShowCustom(true);
        section->show();
        QVERIFY(QTest::qWaitForWindowExposed(section.get()));

        QTest::keyClick(section->picker()->minutesColumn(), Qt::Key_Down);
        QCOMPARE(rig.settings.integer(CustomDurationSection::minutesKey), std::optional<qint64>(31));
        QCOMPARE(rig.settings.writes, 1); // the hours were not touched
        QCOMPARE(section->durationText(), QStringLiteral("2 h 31 min"));
        QCOMPARE(section->startButton()->text(), QStringLiteral("Keep awake for 2 h 31 min"));
        QCOMPARE(rig.haptics, QStringList{QStringLiteral("align idle")});

        // To 48 h: the picker clears the minutes, and both are written as it shows them.
        QTest::keyClick(section->picker()->hoursColumn(), Qt::Key_End);
        QCOMPARE(rig.settings.integer(CustomDurationSection::hoursKey), std::optional<qint64>(48));
        QCOMPARE(rig.settings.integer(CustomDurationSection::minutesKey), std::optional<qint64>(0));
        QCOMPARE(section->durationText(), QStringLiteral("48 h"));

        // The next popover opens on what was chosen.
        auto next = rig.section();
        QCOMPARE(next->durationText(), QStringLiteral("48 h"));
    }

    void aCustomHourSelectsTheOneHourPill()
    {
        Rig rig(1, 0);
        GlassPopoverView popover(*rig.timer, {}, nullptr, &rig.animation);
        auto *section = new CustomDurationSection(*rig.timer, rig.settings, nullptr, &rig.animation);
        popover.setCustomSection(section);
        section->startButton()->click();
        for (int i = 0; i < popover.pills().size(); ++i)
            QCOMPARE(popover.pills()[i]->isSelected(), i == 1);
        // Starting does not fold the editor away.
        section->setShowCustom(true);
        section->startButton()->click();
        QVERIFY(section->showCustom());
    }

    void accentFollowsTheMode()
    {
        Rig rig(std::nullopt, std::nullopt);
        auto section = rig.section();
        QCOMPARE(section->picker()->accent(), CorvaneStyles::amber());
        rig.timer->setMode(AssertionMode::systemOnly);
        QCOMPARE(section->picker()->accent(), CorvaneStyles::cyan());
    }

    void disclosureOpensAtOnceAndClosesAfterTheFade()
    {
        Rig rig(std::nullopt, std::nullopt);
        GlassPopoverView popover(*rig.timer, {}, nullptr, &rig.animation);
        auto *section = new CustomDurationSection(*rig.timer, rig.settings, nullptr, &rig.animation);
        popover.setCustomSection(section);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        const int collapsed = popover.heightForWidth(300);
        QSignalSpy toggled(section, &CustomDurationSection::showCustomChanged);

        QTest::mouseClick(section->disclosureRow(), Qt::LeftButton, {},
                          QPoint(section->disclosureRow()->width() / 2, 5)); // the spacer counts
        QVERIFY(section->showCustom());
        QVERIFY(section->isEditorInteractive());
        // The room is there at once; the editor grows into it from a little smaller.
        QVERIFY(popover.heightForWidth(300) >= collapsed + 130 + 32);
        QVERIFY(section->editorOpacity() < 0.05);
        QCOMPARE(section->editorScale(), CustomDurationSection::hiddenScale);

        rig.animation.advance(0.1);
        QVERIFY(section->editorOpacity() > 0.05 && section->editorOpacity() < 1.0);
        QVERIFY(section->chevronDegrees() > 10 && section->chevronDegrees() < 180);
        rig.animation.advance(1.5);
        QCOMPARE(section->chevronDegrees(), 180.0);
        QCOMPARE(section->editorOpacity(), 1.0);
        QCOMPARE(section->editorScale(), 1.0);
        QCOMPARE(rig.animation.activeSubscriptions(), 0); // at rest, no frames

        section->disclosureRow()->click();
        QVERIFY(!section->showCustom());
        // Still fading out in place, but no longer taking clicks.
        QVERIFY(section->isEditorShown());
        QVERIFY(!section->isEditorInteractive());
        rig.animation.advance(1.5);
        QVERIFY(!section->isEditorShown());
        QCOMPARE(section->chevronDegrees(), 0.0);
        QTRY_COMPARE(popover.heightForWidth(300), collapsed);
        QCOMPARE(toggled.size(), 2);

        // Reopened in the middle of its exit: it turns back from where it was.
        section->setShowCustom(true);
        rig.animation.advance(0.05);
        section->setShowCustom(false);
        rig.animation.advance(0.02);
        section->setShowCustom(true);
        QVERIFY(section->isEditorInteractive());
        rig.animation.advance(1.5);
        QCOMPARE(section->editorOpacity(), 1.0);
        QVERIFY(section->isEditorShown());
    }
};

QTEST_MAIN(CustomDurationSectionTest)
#include "tst_CustomDurationSection.moc"
