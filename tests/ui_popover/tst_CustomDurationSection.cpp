// The custom duration: what it shows and starts for the stored values, what it writes
// back (only what the wheels chose), and how the editor comes and goes.
#include "RecordingBackend.h"
#include "TestSupport.h"
#include "ui/Haptics.h"
#include "wake/SystemEvents.h"
#include "ui/AnimationClock.h"
#include "ui/CustomDurationSection.h"
#include "ui/DurationWheelPicker.h"
#include "ui/GlassPopoverView.h"
#include "ui/PresetPill.h"
#include "ui/WheelClock.h"
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
    SystemEvents events;
    ManualAnimationClock animation{1000.0};
    WheelClock wheels;
    CorvaneTimerService timer{manager, timerSettings, TimerServiceEnvironment{clock, tickers.factory(), events}};
    QStringList haptics; // each with whether a wake period was running at that moment

    explicit Rig(std::optional<qint64> hours = {}, std::optional<qint64> minutes = {})
    {
        if (hours)
            settings.values[CustomDurationSection::hoursKey] = *hours;
        if (minutes)
            settings.values[CustomDurationSection::minutesKey] = *minutes;
        Haptics::setPerformer([this](Haptics::Pattern p) {
            haptics << QStringLiteral("%1 %2").arg(p == Haptics::Pattern::LevelChange ? "level" : "align",
                                                   timer.active() ? "awake" : "idle");
        });
    }
    ~Rig() { Haptics::setPerformer({}); }

    CustomDurationSection *section() { return new CustomDurationSection(timer, settings, animation, wheels); }
};
} // namespace

class CustomDurationSectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storedValuesAreShownAndStartedCapped_data()
    {
        QTest::addColumn<QVariant>("hours");
        QTest::addColumn<QVariant>("minutes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<qint64>("started"); // 0: the button is disabled
        QTest::newRow("first run") << QVariant() << QVariant() << "2 h 30 min" << qint64(150);
        QTest::newRow("nothing") << QVariant(0) << QVariant(0) << "0 min" << qint64(0);
        QTest::newRow("negative total") << QVariant(-1) << QVariant(30) << "0 min" << qint64(0);
        QTest::newRow("50 h") << QVariant(50) << QVariant(0) << "48 h" << qint64(2880);
        QTest::newRow("48 h 30 min") << QVariant(48) << QVariant(30) << "48 h" << qint64(2880);
        QTest::newRow("overflowing") << QVariant(qint64(1) << 62) << QVariant(5) << "48 h" << qint64(2880);
    }
    void storedValuesAreShownAndStartedCapped()
    {
        QFETCH(QVariant, hours);
        QFETCH(QVariant, minutes);
        QFETCH(QString, shown);
        QFETCH(qint64, started);
        Rig rig(hours.isValid() ? std::optional(hours.toLongLong()) : std::nullopt,
                minutes.isValid() ? std::optional(minutes.toLongLong()) : std::nullopt);
        std::unique_ptr<CustomDurationSection> section(rig.section());
        QCOMPARE(section->durationText(), shown);
        QCOMPARE(section->startButton()->text(), QStringLiteral("Keep awake for ") + shown);
        QCOMPARE(section->startButton()->isEnabled(), started > 0);
        QCOMPARE(section->startOpacity(), started > 0 ? 1.0 : 0.4);

        section->startButton()->click();
        if (started > 0) {
            QCOMPARE(rig.timer.active(), std::optional(WakeDuration::minutes(started)));
            QCOMPARE(rig.haptics, QStringList{QStringLiteral("level idle")}); // haptic first
        } else {
            QVERIFY(!rig.timer.active());
            QVERIFY(rig.backend.log.isEmpty() && rig.haptics.isEmpty());
        }
        // Only the wheels write the settings; whatever they had to show, nothing was rewritten.
        QCOMPARE(rig.settings.writes, 0);
    }

    void turningAWheelWritesAtOnceAndTicks()
    {
        Rig rig;
        std::unique_ptr<CustomDurationSection> section(rig.section());
        section->setShowCustom(true);
        section->show();
        QVERIFY(QTest::qWaitForWindowExposed(section.get()));

        QTest::keyClick(section->picker()->minutesColumn(), Qt::Key_Down);
        QCOMPARE(rig.settings.integer(CustomDurationSection::minutesKey), std::optional<qint64>(31));
        QCOMPARE(rig.settings.writes, 1); // the hours were not touched
        QCOMPARE(section->startButton()->text(), QStringLiteral("Keep awake for 2 h 31 min"));
        QCOMPARE(rig.haptics, QStringList{QStringLiteral("align idle")});

        // To 48 h: the picker clears the minutes, and both are stored as the wheels show them.
        QTest::keyClick(section->picker()->hoursColumn(), Qt::Key_End);
        QCOMPARE(rig.settings.integer(CustomDurationSection::hoursKey), std::optional<qint64>(48));
        QCOMPARE(rig.settings.integer(CustomDurationSection::minutesKey), std::optional<qint64>(0));
        QCOMPARE(std::unique_ptr<CustomDurationSection>(rig.section())->durationText(), QStringLiteral("48 h"));
    }

    void aCustomHourSelectsTheOneHourPill()
    {
        Rig rig(1, 0);
        GlassPopoverView popover(rig.timer, rig.animation, {});
        CustomDurationSection *section = rig.section();
        popover.setCustomSection(section);
        section->setShowCustom(true);
        section->startButton()->click();
        for (int i = 0; i < popover.pills().size(); ++i)
            QCOMPARE(popover.pills()[i]->isSelected(), i == 1);
        QVERIFY(section->showCustom()); // starting does not fold the editor away
    }

    void disclosureOpensAtOnceAndClosesAfterTheFade()
    {
        Rig rig;
        GlassPopoverView popover(rig.timer, rig.animation, {});
        CustomDurationSection *section = rig.section();
        popover.setCustomSection(section);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        const int collapsed = popover.heightForWidth(300);

        // Anywhere on the row counts, the empty middle too.
        QTest::mouseClick(section->disclosureRow(), Qt::LeftButton, {}, QPoint(section->disclosureRow()->width() / 2, 5));
        QVERIFY(section->isEditorInteractive());
        // The room is there at once; the editor grows into it from a little smaller.
        QVERIFY(popover.heightForWidth(300) >= collapsed + 130 + 32);
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
        // Still fading out in place, but no longer taking clicks; then gone.
        QVERIFY(section->isEditorShown() && !section->isEditorInteractive());
        rig.animation.advance(1.5);
        QVERIFY(!section->isEditorShown());
        QCOMPARE(section->chevronDegrees(), 0.0);
        QTRY_COMPARE(popover.heightForWidth(300), collapsed);

        // Reopened during its exit, it turns back from where it was and stays.
        section->setShowCustom(true);
        rig.animation.advance(0.05);
        section->setShowCustom(false);
        rig.animation.advance(0.02);
        section->setShowCustom(true);
        rig.animation.advance(1.5);
        QVERIFY(section->isEditorInteractive());
        QCOMPARE(section->editorOpacity(), 1.0);
    }
};

QTEST_MAIN(CustomDurationSectionTest)
#include "tst_CustomDurationSection.moc"
