// SPDX-License-Identifier: GPL-3.0-or-later
// The footer and its gear menu inside the panel's content as the program builds it: the timer
// on a recording inhibitor, launch at login on real autostart files in the session's private
// config folder, an updater without self-update. Real pointer and key events come through
// the session's X server (xdotool).
#include "TestSupport.h"
#include "TimerRig.h"
#include "platform/XdgAutostart.h"
#include "shell/AppDelegate.h"
#include "shell/GlassPanel.h"
#include "shell/LoginItemService.h"
#include "shell/PanelPlacement.h"
#include "shell/UpdaterModel.h"
#include "ui/CustomDurationSection.h"
#include "ui/GlassPopoverView.h"
#include "ui/PopoverFooter.h"
#include "wake/OtherInhibitors.h"
#include "updates/UpdaterService.h"
#include "wake/BatteryGuard.h"
#include "wake/DisplaySleeper.h"
#include "wake/EndOfPeriodWarning.h"
#include "wake/SettingSwitch.h"
#include "wake/RunningPrograms.h"
#include "wake/SystemClock.h"
#include "wake/TriggerSettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QLibraryInfo>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTranslator>
#include <QtTest>

namespace {
struct CountingSleeper : DisplaySleeper {
    int calls = 0;
    void turnDisplayOffNow() override { ++calls; }
};

struct FixedPrograms : RunningPrograms {
    QStringList names() const override { return {"blender", "mpv"}; }
};

// Returns once the X server has made the input; inputSeen() then sees it handled.
bool xdotool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(5000) && p.exitCode() == 0;
}

// Everything the X server sent so far, handled: a round trip to the server, then the
// events it brought. What did not happen by then will not happen from that input.
void inputSeen()
{
    QGuiApplication::sync();
}

bool clickAt(QPoint global)
{
    return xdotool({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "1"});
}

bool click(QWidget *w)
{
    return clickAt(w->mapToGlobal(w->rect().center()));
}
// Other applications' locks as a test sets them.
struct ListedOthers : OtherInhibitors {
    void refresh() override {}
    void set(const QStringList &list) { setList(list); }
};
} // namespace

class PopoverFooterTest : public QObject {
    Q_OBJECT

    TimerRig rig;
    TimerRig::Stack timer;
    SystemClock clock; // real events drive the panel, so its animations run in real time
    std::unique_ptr<UpdaterService> updater;
    std::unique_ptr<UpdaterModel> updaterModel;
    std::unique_ptr<LoginItemService> login;
    std::unique_ptr<SettingSwitch> warnBeforeEnd;
    std::unique_ptr<SettingSwitch> stopBelowBattery;
    std::unique_ptr<TriggerSettings> triggers;
    FixedPrograms running;
    CountingSleeper sleeper;
    ListedOthers others;
    std::unique_ptr<GlassPanel> panel;
    QMenu *menu = nullptr;

    template <typename T>
    T *part(const char *name) const
    {
        T *found = panel->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("the panel has no %s", name);
        return found;
    }
    QAction *item(const char *name) const { return part<QAction>(name); }
    QWidget *gear() const { return part<QWidget>("settings-gear"); }

    void showPanel()
    {
        panel->show();
        QVERIFY(TestBus::onScreen(panel.get(), true));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Never touch a real user's autostart folder or inhibitions.
        CORVANE_REQUIRE(qEnvironmentVariableIsSet("CORVANE_TEST_WORK") && QGuiApplication::platformName() == "xcb"
                            && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
                        "the private session of scripts/test-env with its X server, and xdotool");
    }

    void init()
    {
        rig.settings.values.clear();
        timer = rig.make();
        UpdaterService::Options offline;
        offline.updater.enabled = false;
        updater = std::make_unique<UpdaterService>(rig.settings, clock, offline);
        updaterModel = std::make_unique<UpdaterModel>(*updater);
        login = std::make_unique<LoginItemService>(std::make_unique<XdgAutostart>());
        warnBeforeEnd =
            std::make_unique<SettingSwitch>(rig.settings, EndOfPeriodWarning::settingKey,
                                            EndOfPeriodWarning::defaultMinutes, EndOfPeriodWarning::defaultMinutes);
        stopBelowBattery =
            std::make_unique<SettingSwitch>(rig.settings, BatteryGuard::settingKey, BatteryGuard::onPercent, 0);
        triggers = std::make_unique<TriggerSettings>(rig.settings);
        panel = std::make_unique<GlassPanel>(
            AppDelegate::createPanelContent({*timer, rig.settings, clock, *updaterModel, *login, sleeper,
                                             *warnBeforeEnd, *stopBelowBattery, *triggers, running, &others, [] {}}),
            clock);
        panel->move(400, 60);
        others.set({});
        menu = part<QMenu>("settings-menu");
        sleeper.calls = 0;
    }

    void cleanup()
    {
        panel.reset();
        timer = {};
    }

    // Each switch shows its setting, writes it, and follows a change made elsewhere (the
    // command line). Only the warning is on by default.
    void switchItemsShowAndWriteTheirSettings_data()
    {
        QTest::addColumn<QString>("menuName");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("written"); // by one click
        const QString triggerMenu = QStringLiteral("keep-awake-automatically");
        QTest::newRow("warning") << "settings-menu" << 4 << EndOfPeriodWarning::settingKey << qint64(0);
        QTest::newRow("battery guard") << "settings-menu" << 5 << BatteryGuard::settingKey << BatteryGuard::onPercent;
        QTest::newRow("media") << triggerMenu << 0 << TriggerSettings::whileMediaPlaysKey << qint64(1);
        QTest::newRow("remote") << triggerMenu << 1 << TriggerSettings::whileRemoteSessionKey << qint64(1);
        QTest::newRow("on battery") << triggerMenu << 4 << TriggerSettings::onBatteryKey << qint64(1);
    }
    void switchItemsShowAndWriteTheirSettings()
    {
        QFETCH(QString, menuName);
        QFETCH(int, index);
        QFETCH(QString, key);
        QFETCH(qint64, written);
        QAction *check = part<QMenu>(qPrintable(menuName))->actions().at(index);
        QVERIFY(check->isCheckable());
        QCOMPARE(check->isChecked(), written == 0);
        check->trigger();
        QCOMPARE(rig.settings.values.value(key).toLongLong(), written);
        for (SettingSwitch *option : {warnBeforeEnd.get(), stopBelowBattery.get(), &triggers->whileMediaPlays,
                                      &triggers->whileRemoteSession, &triggers->onBattery})
            option->setOn(written == 0);
        QCOMPARE(check->isChecked(), written == 0);
    }

    // The menu is a popup inside the panel: a click on an item, on the panel or on the gear
    // closes the menu only (the gear does not open it again), and the panel goes on working.
    void aClickClosesOnlyTheMenu_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("an item") << "item";
        QTest::newRow("the panel") << "panel";
        QTest::newRow("the gear") << "gear";
    }
    void aClickClosesOnlyTheMenu()
    {
        QFETCH(QString, target);
        showPanel();
        QVERIFY(click(gear()));
        QTRY_VERIFY(menu->isVisible());
        if (target == u"item")
            QVERIFY(clickAt(menu->mapToGlobal(menu->actionGeometry(item("turn-display-off")).center())));
        else
            QVERIFY(target == u"gear" ? click(gear()) : clickAt(panel->mapToGlobal(QPoint(8, 8))));
        inputSeen();
        QTRY_COMPARE(sleeper.calls, target == u"item" ? 1 : 0);
        QVERIFY(!menu->isVisible());
        auto *section = panel->findChild<CustomDurationSection *>();
        QVERIFY(click(section->disclosureRow()));
        QTRY_VERIFY(section->showCustom());
        QVERIFY(panel->isVisible());
    }

    // However long what other programs report, in each language, at scale 1 and 2 (the
    // ui_popover_footer_2x run), under an icon at either end of a top bar or in a bottom bar,
    // the whole menu is on the screen and as wide as its texts and "Ctrl+Q" ask: it keeps its
    // width and opens to the side that has room.
    void menuStaysOnTheScreen_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QPointF>("iconAt"); // as a share of the screen's width and height
        for (const char *lang : {"en", "de", "fr"}) {
            QTest::addRow("%s, icon at the right", lang) << lang << QPointF(0.97, 0);
            QTest::addRow("%s, icon at the left", lang) << lang << QPointF(0.01, 0);
        }
        QTest::newRow("en, bar at the bottom: opens above the gear") << "en" << QPointF(0.5, 1);
    }
    void menuStaysOnTheScreen()
    {
        QFETCH(QString, lang);
        QFETCH(QPointF, iconAt);
        QTranslator qtTexts, ownTexts; // read as the panel is built, so it is built again
        if (lang != u"en") {
            QVERIFY(qtTexts.load(QLocale(lang), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
            QVERIFY(ownTexts.load(":/i18n/corvane_" + lang + ".qm"));
            QCoreApplication::installTranslator(&qtTexts);
            QCoreApplication::installTranslator(&ownTexts);
            cleanup();
            init();
        }
        others.set({QStringLiteral("org.example.PhotoLibrarySynchronisation: Uploading 12 000 photos to the family "
                                   "album on the network share")});
        timer->start(WakeDuration::minutes(60));
        showPanel();
        QTRY_COMPARE(panel->cardSize().height(), int(panel->targetHeight()));
        const QRect room = panel->screen()->availableGeometry();
        const QRect icon(room.topLeft()
                             + QPointF(iconAt.x() * (room.width() - 24), iconAt.y() * (room.height() - 24)).toPoint(),
                         QSize(24, 24));
        panel->moveCardTo(PanelPlacement::origin(icon, panel->cardSize(), panel->screen()->geometry(), room));
        panel->findChild<PopoverFooter *>()->openMenu();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY2(room.contains(menu->geometry()), qPrintable(QDebug::toString(menu->geometry())));
        QVERIFY2(menu->width() >= menu->sizeHint().width(), qPrintable(QDebug::toString(menu->sizeHint())));
        menu->close();
    }
};

QTEST_MAIN(PopoverFooterTest)
#include "tst_PopoverFooter.moc"
