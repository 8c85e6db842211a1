// The footer and its settings menu against real services: the timer on the real
// inhibition backend (the private bus with only the mocked logind), launch at login on real
// autostart files in the session's private config folder, the updater built without
// self-update so it stays off the network.
#include "TestSupport.h"
#include "platform/DisplaySleeper.h"
#include "platform/LinuxPowerBackend.h"
#include "platform/SystemEvents.h"
#include "platform/XdgAutostart.h"
#include "shell/LoginItemService.h"
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
#include <QScopeGuard>
#include <QtTest>

namespace {

struct CountingSleeper : DisplaySleeper {
    int calls = 0;
    void turnDisplayOffNow() override { ++calls; }
};

// The real backend; every release first looks at what logind holds at that moment.
struct WatchedBackend : PowerBackend {
    LinuxPowerBackend real;
    QList<QStringList> heldAtRelease;

    std::optional<Id> acquire(AssertionMode mode, const QString &reason) override { return real.acquire(mode, reason); }
    void release(Id id) override
    {
        heldAtRelease << TestBus::logindInhibitors();
        real.release(id);
    }
};

QStringList whats(const QStringList &inhibitors)
{
    QStringList out;
    for (const QString &entry : inhibitors)
        out << entry.section(QLatin1Char('|'), 0, 0);
    out.sort();
    return out;
}

UpdaterService::Options offline()
{
    UpdaterService::Options o;
    o.updater.enabled = false;
    return o;
}

QString autostartEntry()
{
    return QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("autostart/") + XdgAutostart::fileName);
}

} // namespace

class PopoverFooterTest : public QObject {
    Q_OBJECT

    MemorySettingsStore settings;
    FakeClock clock;
    FakeTickers tickers;
    SystemEvents events{false};
    WatchedBackend backend;
    std::unique_ptr<PowerAssertionManager> manager;
    std::unique_ptr<CorvaneTimerService> timer;
    std::unique_ptr<UpdaterService> updater;
    std::unique_ptr<LoginItemService> login;
    CountingSleeper sleeper;
    int quits = 0;
    std::unique_ptr<PopoverFooter> footer;

private Q_SLOTS:
    void initTestCase()
    {
        // Never touch a real user's autostart folder.
        if (!qEnvironmentVariableIsSet("CORVANE_TEST_WORK") || !qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
            QSKIP("needs the private session of scripts/test-env");
    }

    void init()
    {
        QFile::remove(autostartEntry());
        settings.values.clear();
        manager = std::make_unique<PowerAssertionManager>(backend);
        backend.heldAtRelease.clear();
        timer = std::make_unique<CorvaneTimerService>(*manager, settings,
                                                      TimerServiceEnvironment{&clock, tickers.factory(), &events});
        updater = std::make_unique<UpdaterService>(settings, offline());
        login = std::make_unique<LoginItemService>();
        sleeper.calls = 0;
        quits = 0;
        footer = std::make_unique<PopoverFooter>(*timer, *updater, *login, sleeper, [this] { ++quits; });
    }

    void cleanup()
    {
        footer.reset();
        timer.reset();
        manager.reset();
        QFile::remove(autostartEntry());
    }

    void menuHoldsExactlyTheSettingsInOrder()
    {
        QStringList items;
        for (QAction *a : footer->menu()->actions())
            items << (a->isSeparator() ? QStringLiteral("---") : a->text());
        QCOMPARE(items, (QStringList{
                            QStringLiteral("Launch at Login"),
                            QStringLiteral("Approve in System Settings\u2026"),
                            QStringLiteral("Keep Display Off, Keep System Awake"),
                            QStringLiteral("Turn Display Off Now"),
                            QStringLiteral("---"),
                            QStringLiteral("Check for Updates\u2026"),
                            QStringLiteral("Version ") + UpdaterService::versionString(),
                            QStringLiteral("---"),
                            QStringLiteral("Quit Corvane"),
                        }));
        QVERIFY(!footer->versionAction()->isEnabled());
        QVERIFY(!footer->approveAction()->isVisible());
        QCOMPARE(footer->quitAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        // This updater may never check: the item is there but greyed out.
        QTRY_VERIFY(!updater->canCheck());
        QVERIFY(!footer->checkForUpdatesAction()->isEnabled());
        QVERIFY(footer->updateButton()->isHidden());
    }

    void modeRowAndToggleFollowTheTimer()
    {
        QCOMPARE(footer->modeIconName(), QStringLiteral("display"));
        QCOMPARE(footer->modeIconColor(), CorvaneStyles::withOpacity(CorvaneStyles::amber(), 0.85));
        QCOMPARE(footer->modeText(), QStringLiteral("Display + System"));
        QVERIFY(!footer->displayOffModeAction()->isChecked());

        footer->displayOffModeAction()->trigger();
        QCOMPARE(timer->mode(), AssertionMode::systemOnly);
        QCOMPARE(footer->modeIconName(), QStringLiteral("cpu"));
        QCOMPARE(footer->modeIconColor(), CorvaneStyles::withOpacity(CorvaneStyles::cyan(), 0.85));
        QCOMPARE(footer->modeText(), QStringLiteral("System Only"));
        QVERIFY(footer->displayOffModeAction()->isChecked());

        // Changed elsewhere (the stored mode of a later launch, say): the toggle follows.
        timer->setMode(AssertionMode::displayAndSystem);
        QVERIFY(!footer->displayOffModeAction()->isChecked());
        QCOMPARE(footer->modeText(), QStringLiteral("Display + System"));
    }

    void modeSwitchWhileAwakeTakesTheNewLockFirst()
    {
        if (!QDBusConnection::systemBus().isConnected() || !TestBus::logindInhibitors().isEmpty())
            QSKIP("needs the private system bus with an idle logind mock");
        timer->start(WakeDuration::minutes(60));
        QCOMPARE(whats(TestBus::logindInhibitors()), QStringList{QStringLiteral("idle:sleep")});

        footer->displayOffModeAction()->trigger();
        QCOMPARE(timer->active(), std::optional(WakeDuration::minutes(60)));
        // When the old lock went, the new one was already held next to it.
        QCOMPARE(backend.heldAtRelease.size(), 1);
        QCOMPARE(whats(backend.heldAtRelease.first()), (QStringList{QStringLiteral("idle:sleep"), QStringLiteral("sleep")}));
        QVERIFY(TestBus::waitFor([] { return whats(TestBus::logindInhibitors()) == QStringList{QStringLiteral("sleep")}; }));

        timer->stop();
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void launchAtLoginWritesAndRemovesTheAutostartEntry()
    {
        QVERIFY(!footer->launchAtLoginAction()->isChecked());
        footer->launchAtLoginAction()->trigger();
        QVERIFY(QFile::exists(autostartEntry()));
        QVERIFY(login->isEnabled());
        QVERIFY(footer->launchAtLoginAction()->isChecked());

        footer->launchAtLoginAction()->trigger();
        QVERIFY(!QFile::exists(autostartEntry()));
        QVERIFY(!footer->launchAtLoginAction()->isChecked());
    }

    void menuAndPopoverReadTheDesktopAgainEachTime()
    {
        footer->launchAtLoginAction()->trigger();
        // Switched off in the desktop's settings while the panel was closed.
        QFile entry(autostartEntry());
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
        entry.close();
        QVERIFY(footer->launchAtLoginAction()->isChecked()); // nobody asked yet

        // The footer comes on screen with its window, as it does inside the panel.
        QWidget window;
        footer->setParent(&window);
        const auto giveBack = qScopeGuard([this] { footer->setParent(nullptr); });
        window.show();
        QVERIFY(!footer->launchAtLoginAction()->isChecked());
        QVERIFY(footer->approveAction()->isVisible());
        window.hide();
        QFile::remove(autostartEntry());
        footer->launchAtLoginAction()->trigger();
        QVERIFY(QFile::exists(autostartEntry()));
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
        entry.close();
        window.show();
        QVERIFY(footer->approveAction()->isVisible());

        // Removed by hand while the panel stays open: opening the menu reads it again.
        QFile::remove(autostartEntry());
        footer->openMenu();
        QVERIFY(footer->menu()->isVisible());
        QVERIFY(!footer->approveAction()->isVisible());
        footer->menu()->hide();
    }

    void commandsReachTheirServices()
    {
        footer->turnDisplayOffAction()->trigger();
        QCOMPARE(sleeper.calls, 1);
        QCOMPARE(timer->mode(), AssertionMode::displayAndSystem);
        footer->quitAction()->trigger();
        QCOMPARE(quits, 1);

        // Ctrl+Q while the open menu has the keys.
        footer->show();
        footer->openMenu();
        QVERIFY(QTest::qWaitForWindowExposed(footer->menu()));
        QTest::keyClick(footer->menu(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits, 2);
        footer->menu()->hide();
    }
};

QTEST_MAIN(PopoverFooterTest)
#include "tst_PopoverFooter.moc"
