// The footer and its menu against real services (the timer on a recording inhibitor: the
// power layer's own suites check the real mechanisms), launch at login on real autostart files in
// the session's private config folder, an updater built without self-update (off the
// network, so it may never check).
#include "TestSupport.h"
#include "wake/DisplaySleeper.h"
#include "RecordingInhibitor.h"
#include "wake/SystemEvents.h"
#include "platform/XdgAutostart.h"
#include "platform/XdgAutostart.h"
#include "shell/LoginItemService.h"
#include "shell/UpdaterModel.h"
#include "ui/CorvaneStyles.h"
#include "ui/PopoverFooter.h"
#include "updates/UpdaterService.h"
#include "wake/CorvaneTimerService.h"
#include "wake/PowerAssertionManager.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QtTest>

namespace {
struct CountingSleeper : DisplaySleeper {
    int calls = 0;
    void turnDisplayOffNow() override { ++calls; }
};

QString autostartEntry()
{
    return QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("autostart/") + XdgAutostart::fileName);
}

void disableEntryInDesktopSettings()
{
    QFile entry(autostartEntry());
    QVERIFY(entry.open(QIODevice::Append));
    entry.write("Hidden=true\n");
}
} // namespace

class PopoverFooterTest : public QObject {
    Q_OBJECT

    MemorySettingsStore settings;
    FakeClock clock;
    FakeTickers tickers;
    SystemEvents events;
    RecordingInhibitor backend;
    PowerAssertionManager manager{backend};
    std::unique_ptr<CorvaneTimerService> timer;
    std::unique_ptr<UpdaterService> updater;
    std::unique_ptr<UpdaterModel> updaterModel;
    std::unique_ptr<LoginItemService> login;
    CountingSleeper sleeper;
    int quits = 0;
    std::unique_ptr<QWidget> window; // the footer comes on screen with it, as in the panel
    PopoverFooter *footer = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        // Never touch a real user's autostart folder or inhibitions.
        CORVANE_REQUIRE(qEnvironmentVariableIsSet("CORVANE_TEST_WORK"), "the private session of scripts/test-env");
    }

    void init()
    {
        QFile::remove(autostartEntry());
        timer = std::make_unique<CorvaneTimerService>(manager, settings,
                                                      TimerServiceEnvironment{clock, tickers.factory(), events});
        UpdaterService::Options offline;
        offline.updater.enabled = false;
        updater = std::make_unique<UpdaterService>(settings, offline);
        updaterModel = std::make_unique<UpdaterModel>(*updater);
        login = std::make_unique<LoginItemService>(std::make_unique<XdgAutostart>());
        window = std::make_unique<QWidget>();
        footer = new PopoverFooter(*timer, *updaterModel, *login, sleeper, [this] { ++quits; }, window.get());
    }

    void cleanup()
    {
        window.reset();
        timer.reset();
        QFile::remove(autostartEntry());
    }

    void menuItemsAndCommands()
    {
        QStringList items;
        for (QAction *a : footer->menu()->actions())
            items << (a->isSeparator() ? QStringLiteral("---") : a->text());
        QCOMPARE(items, (QStringList{"Launch at Login", "Enable in Autostart Settings\u2026",
                                     "Keep Display Off, Keep System Awake", "Turn Display Off Now", "---",
                                     "Not keeping this computer awake", "Also keeping it awake: ", "---", "Check for Updates\u2026", "Version " + UpdaterService::versionString(), "---",
                                     "Quit Corvane"}));
        QVERIFY(!footer->versionAction()->isEnabled());
        QVERIFY(!footer->approveAction()->isVisible());
        QTRY_VERIFY(!updater->canCheck());
        QVERIFY(!footer->checkForUpdatesAction()->isEnabled());
        QVERIFY(footer->updateButton()->isHidden());
        QCOMPARE(footer->quitAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

        footer->turnDisplayOffAction()->trigger();
        QCOMPARE(sleeper.calls, 1);
        QCOMPARE(timer->mode(), AssertionMode::displayAndSystem);
        quits = 0;
        footer->quitAction()->trigger();
        QCOMPARE(quits, 1);
        // Ctrl+Q while the open menu has the keys.
        window->show();
        footer->openMenu();
        QVERIFY(QTest::qWaitForWindowExposed(footer->menu()));
        QTest::keyClick(footer->menu(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits, 2);
    }

    void modeSwitchFollowsAndSwapsTheLiveLockWithoutAGap()
    {
        QCOMPARE(footer->modeIconName(), QStringLiteral("display"));
        QCOMPARE(footer->modeText(), QStringLiteral("Display + System"));
        QVERIFY(!footer->displayOffModeAction()->isChecked());
        timer->start(WakeDuration::minutes(60));
        backend.log.clear();

        footer->displayOffModeAction()->trigger();
        QCOMPARE(footer->modeIconName(), QStringLiteral("cpu"));
        QCOMPARE(footer->modeIconColor(), CorvaneStyles::withOpacity(CorvaneStyles::cyan(), 0.85));
        QCOMPARE(footer->modeText(), QStringLiteral("System Only"));
        QVERIFY(footer->displayOffModeAction()->isChecked());
        QCOMPARE(timer->active(), std::optional(WakeDuration::minutes(60)));
        QCOMPARE(backend.log, (QStringList{"acquire systemOnly Corvane: keeping this computer awake for 1 h", "release 1"}));

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
        QVERIFY(!footer->launchAtLoginAction()->isChecked());

        // Switched off in the desktop's settings while the panel was closed: read on showing.
        footer->launchAtLoginAction()->trigger();
        disableEntryInDesktopSettings();
        QVERIFY(footer->launchAtLoginAction()->isChecked()); // nobody asked yet
        window->show();
        QVERIFY(!footer->launchAtLoginAction()->isChecked());
        QVERIFY(footer->approveAction()->isVisible());

        // Removed by hand while the panel stays open: read when the menu opens.
        QFile::remove(autostartEntry());
        footer->openMenu();
        QVERIFY(!footer->approveAction()->isVisible());
        footer->menu()->hide();
    }
};

QTEST_MAIN(PopoverFooterTest)
#include "tst_PopoverFooter.moc"
