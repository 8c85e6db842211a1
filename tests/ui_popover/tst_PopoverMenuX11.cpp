// The gear menu is a popup inside the popup panel. Real pointer and key events through
// the X server (xdotool on the session's Xvfb) show that opening it keeps the panel open,
// that its items work, and that Ctrl+Q quits with and without the menu open.
#include "RecordingBackend.h"
#include "TestSupport.h"
#include "wake/DisplaySleeper.h"
#include "wake/SystemEvents.h"
#include "shell/GlassPanel.h"
#include "platform/XdgAutostart.h"
#include "shell/LoginItemService.h"
#include "shell/UpdaterModel.h"
#include "ui/AnimationClock.h"
#include "ui/CustomDurationSection.h"
#include "ui/WheelClock.h"
#include "ui/GlassPopoverView.h"
#include "ui/PopoverFooter.h"
#include "updates/UpdaterService.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

struct CountingSleeper : DisplaySleeper {
    int calls = 0;
    void turnDisplayOffNow() override { ++calls; }
};

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

class PopoverMenuX11Test : public QObject {
    Q_OBJECT

    RecordingBackend backend;
    PowerAssertionManager manager{backend};
    MemorySettingsStore settings;
    FakeClock clock;
    FakeTickers tickers;
    SystemEvents events;
    std::unique_ptr<CorvaneTimerService> timer;
    std::unique_ptr<UpdaterService> updater;
    std::unique_ptr<UpdaterModel> updaterModel;
    std::unique_ptr<LoginItemService> login;
    CountingSleeper sleeper;
    SystemAnimationClock animation;
    WheelClock wheels;
    int quits = 0;
    GlassPanel *panel = nullptr;
    PopoverFooter *footer = nullptr;
    CustomDurationSection *section = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        CORVANE_REQUIRE(QGuiApplication::platformName() == QStringLiteral("xcb")
                            && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
                        "an X server and xdotool");
        timer = std::make_unique<CorvaneTimerService>(manager, settings,
                                                      TimerServiceEnvironment{clock, tickers.factory(), events});
        UpdaterService::Options offline;
        offline.updater.enabled = false;
        updater = std::make_unique<UpdaterService>(settings, offline);
        updaterModel = std::make_unique<UpdaterModel>(*updater);
        login = std::make_unique<LoginItemService>(std::make_unique<XdgAutostart>());

        auto onQuit = [this] { ++quits; };
        auto *popover = new GlassPopoverView(*timer, animation, onQuit);
        section = new CustomDurationSection(*timer, settings, animation, wheels);
        popover->setCustomSection(section);
        footer = new PopoverFooter(*timer, *updaterModel, *login, sleeper, onQuit);
        popover->setFooter(footer);
        panel = new GlassPanel(popover);
        panel->move(400, 60);
    }

    void cleanupTestCase() { delete panel; }

    void init()
    {
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        panel->activateWindow();
        QTest::qWait(100);
    }

    void choosingAnItemKeepsThePanelOpen()
    {
        QVERIFY(click(footer->gearButton()));
        QTRY_VERIFY(footer->menu()->isVisible());
        QVERIFY(panel->isVisible());

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
        section->setShowCustom(false);
    }

    void aClickOnThePanelClosesOnlyTheMenu()
    {
        QVERIFY(click(footer->gearButton()));
        QTRY_VERIFY(footer->menu()->isVisible());
        // A quiet spot of the panel: its top-left padding.
        QVERIFY(clickAt(panel->mapToGlobal(QPoint(8, 8))));
        QTRY_VERIFY(!footer->menu()->isVisible());
        QTest::qWait(150);
        QVERIFY(panel->isVisible());

        // A click on the gear while its menu is open closes the menu, not reopens it.
        QVERIFY(click(footer->gearButton()));
        QTRY_VERIFY(footer->menu()->isVisible());
        QVERIFY(click(footer->gearButton()));
        QTRY_VERIFY(!footer->menu()->isVisible());
        QTest::qWait(150);
        QVERIFY(!footer->menu()->isVisible());
        QVERIFY(panel->isVisible());
    }

    void ctrlQQuitsWithAndWithoutTheMenu()
    {
        quits = 0;
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

QTEST_MAIN(PopoverMenuX11Test)
#include "tst_PopoverMenuX11.moc"
