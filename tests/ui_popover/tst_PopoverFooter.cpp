// SPDX-License-Identifier: GPL-3.0-or-later
// The footer and its gear menu inside the real panel, against real services: the timer on a
// recording inhibitor (the power layer's own suites check the real mechanisms), launch at
// login on real autostart files in the session's private config folder, an updater built
// without self-update. Real pointer and key events through the session's X server (xdotool)
// show that the menu, a popup inside the panel, keeps the panel open and that Ctrl+Q quits
// with and without it.
#include "RecordingInhibitor.h"
#include "TestSupport.h"
#include "platform/XdgAutostart.h"
#include "shell/GlassPanel.h"
#include "shell/LoginItemService.h"
#include "shell/UpdaterModel.h"
#include "ui/CustomDurationSection.h"
#include "ui/GlassPopoverView.h"
#include "ui/PopoverFooter.h"
#include "updates/UpdaterService.h"
#include "wake/CorvaneTimerService.h"
#include "wake/DisplaySleeper.h"
#include "wake/PowerAssertionManager.h"
#include "wake/SystemClock.h"
#include "wake/SystemEvents.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {
struct CountingSleeper : DisplaySleeper {
    int calls = 0;
    void turnDisplayOffNow() override { ++calls; }
};

QString autostartEntry()
{
    return QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
        .filePath(QStringLiteral("autostart/") + XdgAutostart::fileName);
}

bool xdotool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(5000) && p.exitCode() == 0;
}

bool clickAt(QPoint global)
{
    return xdotool({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "1"});
}

bool click(QWidget *w)
{
    return clickAt(w->mapToGlobal(w->rect().center()));
}
} // namespace

class PopoverFooterTest : public QObject {
    Q_OBJECT

    MemorySettingsStore settings;
    SystemClock clock; // real events drive the panel, so its animations run in real time
    SystemEvents events;
    RecordingInhibitor backend;
    PowerAssertionManager manager{backend, nullptr, clock};
    std::unique_ptr<CorvaneTimerService> timer;
    std::unique_ptr<UpdaterService> updater;
    std::unique_ptr<UpdaterModel> updaterModel;
    std::unique_ptr<LoginItemService> login;
    CountingSleeper sleeper;
    int quits = 0;
    std::unique_ptr<GlassPanel> panel;
    PopoverFooter *footer = nullptr;
    CustomDurationSection *section = nullptr;

    void showPanel()
    {
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
        panel->activateWindow();
        QTest::qWait(100);
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
        QFile::remove(autostartEntry());
        timer = std::make_unique<CorvaneTimerService>(manager, settings, TimerServiceEnvironment{clock, events});
        UpdaterService::Options offline;
        offline.updater.enabled = false;
        updater = std::make_unique<UpdaterService>(settings, clock, offline);
        updaterModel = std::make_unique<UpdaterModel>(*updater);
        login = std::make_unique<LoginItemService>(std::make_unique<XdgAutostart>());
        auto onQuit = [this] { ++quits; };
        auto *popover = new GlassPopoverView(*timer, clock, onQuit);
        section = new CustomDurationSection(*timer, settings, clock);
        popover->setCustomSection(section);
        footer = new PopoverFooter(*timer, *updaterModel, *login, sleeper, onQuit);
        popover->setFooter(footer);
        panel = std::make_unique<GlassPanel>(popover, clock);
        panel->move(400, 60);
        quits = 0;
        sleeper.calls = 0;
    }

    void cleanup()
    {
        panel.reset();
        timer.reset();
        QFile::remove(autostartEntry());
    }

    void menuItems()
    {
        QStringList items;
        for (QAction *a : footer->menu()->actions())
            items << (a->isSeparator() ? QStringLiteral("---") : a->text());
        QCOMPARE(items,
                 (QStringList{
                     "Launch at Login", "Enable in Autostart Settings\u2026", "Keep Display Off, Keep System Awake",
                     "Turn Display Off Now", "---", "Not keeping this computer awake", "Also keeping it awake: ", "---",
                     "Check for Updates\u2026", "Version " + UpdaterService::versionString(), "---", "Quit Corvane"}));
        QVERIFY(!footer->approveAction()->isVisible());
        QTRY_VERIFY(!updater->canCheck());
        QVERIFY(!footer->checkForUpdatesAction()->isEnabled());
        QVERIFY(footer->updateButton()->isHidden());
    }

    void modeSwitchFollowsTheTimer()
    {
        QCOMPARE(footer->modeText(), QStringLiteral("Display + System"));
        timer->start(WakeDuration::minutes(60));
        footer->displayOffModeAction()->trigger();
        QCOMPARE(footer->modeIconName(), QStringLiteral("cpu"));
        QCOMPARE(footer->modeText(), QStringLiteral("System Only"));
        QCOMPARE(timer->active(), std::optional(WakeDuration::minutes(60)));
        // Changed elsewhere: the toggle follows.
        timer->setMode(AssertionMode::displayAndSystem);
        QVERIFY(!footer->displayOffModeAction()->isChecked());
        timer->stop();
        QVERIFY(backend.live.empty());
    }

    void launchAtLoginShowsWhatTheDesktopHas()
    {
        footer->launchAtLoginAction()->trigger();
        QVERIFY(QFile::exists(autostartEntry()));
        QVERIFY(footer->launchAtLoginAction()->isChecked());
        footer->launchAtLoginAction()->trigger();
        QVERIFY(!QFile::exists(autostartEntry()));
        // Switched off in the desktop's settings while the panel was closed: read on showing.
        footer->launchAtLoginAction()->trigger();
        QFile entry(autostartEntry());
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
        entry.close();
        QVERIFY(footer->launchAtLoginAction()->isChecked()); // nobody asked yet
        showPanel();
        QVERIFY(!footer->launchAtLoginAction()->isChecked());
        QVERIFY(footer->approveAction()->isVisible());
        // Removed by hand while the panel stays open: read when the menu opens.
        QFile::remove(autostartEntry());
        footer->openMenu();
        QVERIFY(!footer->approveAction()->isVisible());
        footer->menu()->hide();
        // Refused (a file where the folder belongs stops even root): the switch stays off.
        const QString folder = QFileInfo(autostartEntry()).path();
        QVERIFY(QDir(folder).removeRecursively() && writeFile(folder, "not a folder"));
        footer->launchAtLoginAction()->trigger();
        QVERIFY(!footer->launchAtLoginAction()->isChecked());
        QVERIFY(QFile::remove(folder) && QDir().mkpath(folder));
    }

    void choosingAnItemKeepsThePanelOpen()
    {
        showPanel();
        QVERIFY(click(footer->gearButton()));
        QTRY_VERIFY(footer->menu()->isVisible());
        QMenu *menu = footer->menu();
        QVERIFY(clickAt(menu->mapToGlobal(menu->actionGeometry(footer->turnDisplayOffAction()).center())));
        QTRY_COMPARE(sleeper.calls, 1);
        QTRY_VERIFY(!menu->isVisible());
        QTest::qWait(100);
        QVERIFY(panel->isVisible());
        // The panel still works after the menu: the disclosure row opens the editor.
        QVERIFY(click(section->disclosureRow()));
        QTRY_VERIFY(section->showCustom());
        QVERIFY(panel->isVisible());
    }

    void aClickOnThePanelOrTheGearClosesOnlyTheMenu()
    {
        showPanel();
        for (bool onGear : {false, true}) {
            QVERIFY(click(footer->gearButton()));
            QTRY_VERIFY(footer->menu()->isVisible());
            QVERIFY(onGear ? click(footer->gearButton()) : clickAt(panel->mapToGlobal(QPoint(8, 8))));
            QTRY_VERIFY(!footer->menu()->isVisible());
            QTest::qWait(150);
            QVERIFY(!footer->menu()->isVisible()); // the gear did not open it again
            QVERIFY(panel->isVisible());
        }
    }

    void ctrlQQuitsWithAndWithoutTheMenu()
    {
        showPanel();
        QVERIFY(xdotool({"key", "ctrl+q"}));
        QTRY_COMPARE(quits, 1);
        QVERIFY(click(footer->gearButton()));
        QTRY_VERIFY(footer->menu()->isVisible());
        QVERIFY(xdotool({"key", "ctrl+q"}));
        QTRY_COMPARE(quits, 2);
        QTest::qWait(100);
        QCOMPARE(quits, 2);
        footer->menu()->hide();
    }
};

QTEST_MAIN(PopoverFooterTest)
#include "tst_PopoverFooter.moc"
