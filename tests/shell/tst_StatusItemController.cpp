// SPDX-License-Identifier: GPL-3.0-or-later
// The controller between the timer and a stand-in icon: what the icon's clicks and menu
// rows do, and which panel opens. The texts themselves are the presenter's table; the
// label reaching a real host, tst_StatusNotifierEndToEnd.
#include "TimerRig.h"
#include "platform/AbstractTrayIcon.h"
#include "shell/GlassPanel.h"
#include "shell/StatusItemController.h"
#include "shell/TrayPresenter.h"
#include "wake/SystemClock.h"

#include <QWindow>
#include <QtTest>

Q_DECLARE_METATYPE(AbstractTrayIcon::Host)
Q_DECLARE_METATYPE(GlassPanel::Kind)

namespace {
class FakeTrayIcon : public AbstractTrayIcon {
public:
    void show() override { shown = true; }
    void setIcon(const QIcon &, const QString &) override {}
    void setCountdown(const QString &, const QString &) override {}
    void setToolTip(const QString &) override {}
    void setMenu(const QList<DBusMenuEntry> &) override {}
    // As a StatusNotifier host tells it: only the point of the last click.
    QRect anchorRect() const override { return QRect(clickedAt, QSize(1, 1)); }
    QRect pressArea() const override { return anchorRect().adjusted(-10, -10, 10, 10); }
    Host host() const override { return hostNow; }
    void answer(Host host)
    {
        hostNow = host;
        Q_EMIT hostChanged();
    }

    bool shown = false;
    QPoint clickedAt{640, 10};
    Host hostNow = Host::Unknown;
};

struct Rig {
    TimerRig timerRig;
    TimerRig::Stack timer = timerRig.make();
    SystemClock panelClock; // the panel opens and closes on real events
    FakeTrayIcon *icon = new FakeTrayIcon;
    StatusItemController controller{*timer, panelClock, icon, [] { return new QWidget; }};

    bool panelOpen() { return controller.hasPanel() && controller.panel().isVisible(); }
};
} // namespace

class StatusItemControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuRowsActOnTheTimer_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("running"); // a 1 h period runs before the row is chosen
        QTest::addColumn<QString>("active");
        QTest::addColumn<QString>("effect"); // besides the timer: "mode" flips, "panel" opens, or "quit"
        using P = TrayPresenter;
        QTest::newRow("toggle starts the last duration") << int(P::QuickToggleRow) << false << "last"
                                                         << "";
        QTest::newRow("toggle stops") << int(P::QuickToggleRow) << true << ""
                                      << "";
        QTest::newRow("4 h preset") << P::FirstPresetRow + 2 << true << "240"
                                    << "";
        QTest::newRow("until turned off") << P::FirstPresetRow + 5 << false << "indefinite"
                                          << "";
        QTest::newRow("past the last preset") << P::FirstPresetRow + 6 << false << ""
                                              << "";
        QTest::newRow("display") << int(P::ModeRow) << true << "60"
                                 << "mode";
        QTest::newRow("open") << int(P::OpenRow) << false << ""
                              << "panel";
        QTest::newRow("quit") << int(P::QuitRow) << true << "60"
                              << "quit";
    }
    void menuRowsActOnTheTimer()
    {
        QFETCH(int, row);
        QFETCH(bool, running);
        QFETCH(QString, active);
        QFETCH(QString, effect);
        Rig rig;
        QVERIFY(rig.icon->shown);
        if (running)
            rig.timer->start(WakeDuration::minutes(60));
        const AssertionMode mode = rig.timer->mode();
        QSignalSpy quit(&rig.controller, &StatusItemController::quitRequested);

        Q_EMIT rig.icon->menuTriggered(row);
        const std::optional<WakeDuration> expected = active.isEmpty() ? std::nullopt
            : active == QLatin1String("last")                         ? std::optional(rig.timer->lastDuration())
            : active == QLatin1String("indefinite")                   ? std::optional(WakeDuration::indefinite())
                                                    : std::optional(WakeDuration::minutes(active.toInt()));
        QCOMPARE(rig.timer->active(), expected);
        QCOMPARE(rig.timer->mode() != mode, effect == "mode");
        QCOMPARE(rig.panelOpen(), effect == "panel");
        QCOMPARE(quit.count(), effect == "quit" ? 1 : 0);
    }

    // With the panel open, every press comes to the controller first. Alt+click, a right or
    // a middle click on the icon toggles and leaves the panel open; a plain click there only
    // closes it; both are kept from the host. Any press elsewhere closes and goes on.
    void pressesWhileThePanelIsOpen_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QPoint>("at");
        // It "toggles", "closes" (elsewhere the panel closes itself), is "kept" from the host.
        QTest::addColumn<QString>("outcome");
        const QPoint icon(646, 4);
        const Qt::KeyboardModifiers none;
        QTest::newRow("right click on the icon") << Qt::RightButton << none << icon << "toggles, kept";
        QTest::newRow("middle click on the icon") << Qt::MiddleButton << none << icon << "toggles, kept";
        QTest::newRow("Alt+click on the icon")
            << Qt::LeftButton << Qt::KeyboardModifiers(Qt::AltModifier) << icon << "toggles, kept";
        QTest::newRow("plain click on the icon") << Qt::LeftButton << none << icon << "closes, kept";
        QTest::newRow("right click elsewhere") << Qt::RightButton << none << QPoint(300, 4) << "";
    }
    void pressesWhileThePanelIsOpen()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QPoint, at);
        QFETCH(QString, outcome);
        Rig rig;
        Q_EMIT rig.icon->clicked();
        QVERIFY(rig.panelOpen());
        GlassPanel &panel = rig.controller.panel();
        QVERIFY(panel.onOutsidePress);
        QCOMPARE(panel.onOutsidePress(at, button, modifiers), outcome.contains("kept"));
        QCOMPARE(rig.timer->active().has_value(), outcome.contains("toggles"));
        QCOMPARE(rig.panelOpen(), !outcome.contains("closes"));
    }

    // What opens at start depends on the first answer about a tray and on who started the
    // program; what opens later, on what shows the icon then.
    void panelKindFollowsTheTray_data()
    {
        using Host = AbstractTrayIcon::Host;
        using Kind = GlassPanel::Kind;
        QTest::addColumn<QList<Host>>("answers");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("opensAtStart");
        QTest::addColumn<Kind>("kindLater"); // when the panel is asked for afterwards
        using Hosts = QList<Host>;
        const Hosts none{Host::None};
        const Hosts sni{Host::StatusNotifier};
        QTest::newRow("no tray, started by the user") << none << false << false << true << Kind::Window;
        QTest::newRow("no tray, started by the session") << none << true << false << false << Kind::Window;
        QTest::newRow("StatusNotifier host on X11") << sni << false << false << false << Kind::Popover;
        QTest::newRow("StatusNotifier host on Wayland") << sni << false << true << false << Kind::ManagedPopover;
        QTest::newRow("XEmbed tray") << Hosts{Host::XEmbed} << false << false << false << Kind::Popover;
        QTest::newRow("tray gone later: nothing opens unasked")
            << Hosts{Host::StatusNotifier, Host::None} << false << false << false << Kind::Window;
        QTest::newRow("tray came later: the next panel hangs from it")
            << Hosts{Host::None, Host::StatusNotifier} << false << true << true << Kind::ManagedPopover;
    }
    void panelKindFollowsTheTray()
    {
        QFETCH(QList<AbstractTrayIcon::Host>, answers);
        QFETCH(bool, quiet);
        QFETCH(bool, wayland);
        QFETCH(bool, opensAtStart);
        QFETCH(GlassPanel::Kind, kindLater);
        Rig rig;
        rig.controller.setQuietStart(quiet);
        rig.controller.setWaylandSession(wayland);
        rig.icon->answer(answers.first());
        // The controller hears of it on the next turn of the event loop.
        QCoreApplication::processEvents();
        QCOMPARE(rig.panelOpen(), opensAtStart);
        if (opensAtStart)
            QCOMPARE(rig.controller.panel().kind(), GlassPanel::Kind::Window);
        for (qsizetype i = 1; i < answers.size(); ++i)
            rig.icon->answer(answers.at(i));
        QCoreApplication::processEvents();
        rig.controller.closePanel();
        rig.controller.openPanel();
        QVERIFY(rig.panelOpen());
        QCOMPARE(rig.controller.panel().kind(), kindLater);
    }

    // A window manager may map the panel where its own policy says (KWin's smart placement:
    // the corner of an empty screen); the panel goes back beside the icon.
    void aWindowManagersPlacementIsUndone()
    {
        Rig rig;
        rig.controller.setWaylandSession(true);
        rig.icon->answer(AbstractTrayIcon::Host::StatusNotifier);
        QCoreApplication::processEvents();
        rig.controller.openPanel();
        GlassPanel &panel = rig.controller.panel();
        QCOMPARE(panel.kind(), GlassPanel::Kind::ManagedPopover);
        const QPoint placed = panel.pos();
        QVERIFY(placed != QPoint(0, 0));
        panel.windowHandle()->setPosition(0, 0); // what the window manager's configure says
        QTRY_COMPARE(panel.windowHandle()->position(), placed);
        QCOMPARE(panel.pos(), placed);
    }
};

QTEST_MAIN(StatusItemControllerTest)
#include "tst_StatusItemController.moc"
