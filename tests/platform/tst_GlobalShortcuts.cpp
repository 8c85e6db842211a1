// SPDX-License-Identifier: GPL-3.0-or-later
// The toggle shortcut in each desktop's own place, against the real services: a grab on
// Xvfb's root window pressed with xdotool, XFCE's xfconfd, GNOME's settings through
// gsettings and dconf, KDE's kglobalaccel5. Each keeps other programs' shortcuts, refuses
// keys they hold, and leaves nothing behind once cleared. Where a desktop's portal takes the
// keys instead (a mock: Debian 12 has none that binds), a press toggles the real program.
#include "RunningCorvane.h"
#include "TestSupport.h"
#include "platform/BusConnections.h"
#include "platform/GlobalShortcutFactory.h"
#include "platform/GnomeCustomKeybinding.h"
#include "platform/KGlobalAccelShortcut.h"
#include "platform/PortalGlobalShortcut.h"
#include "platform/X11KeyGrab.h"
#include "platform/XfconfShortcut.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString command = GlobalShortcutFactory::toggleCommand;

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return QStringLiteral("<did not finish>");
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void press(const QString &keys)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

QDBusMessage busCall(const QString &service, const QString &path, const QString &interface, const QString &method,
                     const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return TestBus::bus(false).call(message, QDBus::Block, 10000);
}

QVariantMap xfceShortcuts()
{
    const QDBusMessage reply = busCall(QStringLiteral("org.xfce.Xfconf"), QStringLiteral("/org/xfce/Xfconf"),
                                       QStringLiteral("org.xfce.Xfconf"), QStringLiteral("GetAllProperties"),
                                       {QStringLiteral("xfce4-keyboard-shortcuts"), QStringLiteral("/")});
    return reply.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(reply.arguments().at(0));
}

QString gsettingsGet(const QString &schema, const QString &key)
{
    return run(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
}

const QString customSchema = GnomeCustomKeybinding::entrySchema + QLatin1Char(':');
const QString terminalPath =
    QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/");

QDBusMessage kglobalaccel(const QString &method, const QVariantList &arguments)
{
    return busCall(QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
                   QStringLiteral("org.kde.KGlobalAccel"), method, arguments);
}

} // namespace

class GlobalShortcutsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rootWindowGrabHearsTheKeysWithLocksOn()
    {
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY"), "an X server");
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "xdotool");
        X11KeyGrab grab;
        QCOMPARE(grab.bind(QStringLiteral("Ctrl+Alt+K")), QString());
        QSignalSpy pressed(&grab, &GlobalShortcut::activated);
        press(QStringLiteral("ctrl+alt+k"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, 5000);
        // Caps Lock on is another modifier to X; the shortcut must still work.
        press(QStringLiteral("Caps_Lock"));
        press(QStringLiteral("ctrl+alt+k"));
        press(QStringLiteral("Caps_Lock"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 2, 5000);

        // Another program holding the keys is a refusal, and frees them when it lets go.
        X11KeyGrab other;
        QVERIFY(!other.bind(QStringLiteral("Ctrl+Alt+K")).isEmpty());
        QCOMPARE(grab.bind(QString()), QString());
        QCOMPARE(other.bind(QStringLiteral("Ctrl+Alt+K")), QString());
    }

    void xfconfCommandIsWrittenAndRemoved()
    {
        CORVANE_REQUIRE(QFile::exists(QStringLiteral("/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd")), "xfconfd");
        // A user who never changed a shortcut: XFCE's defaults only (xfconfd starts with the
        // first call).
        QVERIFY(!xfceShortcuts().contains(QStringLiteral("/commands/custom/override")));
        BusConnections buses;
        XfconfShortcut shortcut(buses, command);

        QCOMPARE(shortcut.bind(QStringLiteral("Ctrl+Alt+K")), QString());
        QVariantMap now = xfceShortcuts();
        QCOMPARE(now.value(QStringLiteral("/commands/custom/<Primary><Alt>k")).toString(), command);
        // The custom set is one XFCE keeps, with its defaults in it.
        QCOMPARE(now.value(QStringLiteral("/commands/custom/override")).toBool(), true);
        const QString terminal = QStringLiteral("/commands/custom/<Primary><Alt>t");
        QCOMPARE(now.value(terminal), now.value(QStringLiteral("/commands/default/<Primary><Alt>t")));

        // Written as <Primary>, asked for as Ctrl: the same keys.
        const QString refusal = shortcut.bind(QStringLiteral("Ctrl+Alt+T"));
        QVERIFY2(refusal.contains(QLatin1String("TerminalEmulator")), qPrintable(refusal));

        QCOMPARE(shortcut.bind(QString()), QString());
        now = xfceShortcuts();
        QVERIFY2(!now.values().contains(QVariant(command)), qPrintable(now.keys().join(QLatin1Char(' '))));
        QVERIFY(now.value(terminal).toString().contains(QLatin1String("TerminalEmulator")));
    }

    void gnomeCustomKeybindingIsWrittenAndRemoved()
    {
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty(), "gsettings");
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("dconf")).isEmpty(), "dconf");
        CORVANE_REQUIRE(
            !gsettingsGet(GnomeCustomKeybinding::listSchema, QStringLiteral("custom-keybindings")).isEmpty(),
            "GNOME's media-keys settings schema");
        // Someone else's entry, as GNOME Settings writes it.
        run(QStringLiteral("gsettings"),
            {QStringLiteral("set"), customSchema + terminalPath, QStringLiteral("name"), QStringLiteral("'Terminal'")});
        run(QStringLiteral("gsettings"),
            {QStringLiteral("set"), customSchema + terminalPath, QStringLiteral("binding"),
             QStringLiteral("'<Primary><Alt>t'")});
        run(QStringLiteral("gsettings"),
            {QStringLiteral("set"), GnomeCustomKeybinding::listSchema, QStringLiteral("custom-keybindings"),
             QStringLiteral("['%1']").arg(terminalPath)});
        GnomeCustomKeybinding shortcut(command);
        const QString ours = customSchema + GnomeCustomKeybinding::entryPath;

        QCOMPARE(shortcut.bind(QStringLiteral("Ctrl+Alt+K")), QString());
        QCOMPARE(GnomeCustomKeybinding::parseStrings(
                     gsettingsGet(GnomeCustomKeybinding::listSchema, QStringLiteral("custom-keybindings"))),
                 QStringList({terminalPath, GnomeCustomKeybinding::entryPath}));
        QCOMPARE(gsettingsGet(ours, QStringLiteral("binding")), QStringLiteral("'<Control><Alt>k'"));
        QCOMPARE(gsettingsGet(ours, QStringLiteral("command")), QLatin1Char('\'') + command + QLatin1Char('\''));

        const QString refusal = shortcut.bind(QStringLiteral("Ctrl+Alt+T"));
        QVERIFY2(refusal.contains(QLatin1String("Terminal")), qPrintable(refusal));

        QCOMPARE(shortcut.bind(QString()), QString());
        QCOMPARE(GnomeCustomKeybinding::parseStrings(
                     gsettingsGet(GnomeCustomKeybinding::listSchema, QStringLiteral("custom-keybindings"))),
                 QStringList{terminalPath});
        const QString stored = run(QStringLiteral("dconf"), {QStringLiteral("dump"), QStringLiteral("/")});
        QVERIFY2(!stored.contains(QLatin1String("corvane")), qPrintable(stored));
        QVERIFY(stored.contains(QLatin1String("Terminal")));
    }

    void kglobalaccelTellsOfThePress()
    {
        CORVANE_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("kglobalaccel5")).isEmpty(), "kglobalaccel5");
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY"), "an X server");
        // Started here rather than by the bus, on the X server: it grabs the keys there.
        QProcess daemon;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        daemon.setProcessEnvironment(env);
        daemon.start(QStringLiteral("kglobalaccel5"), {});
        auto *names = TestBus::bus(false).interface();
        QVERIFY(TestBus::waitFor(
            [&] { return names->isServiceRegistered(QStringLiteral("org.kde.kglobalaccel")).value(); }, 10000));
        // Another program's action on Ctrl+Alt+T.
        const QStringList terminal{QStringLiteral("konsole"), QStringLiteral("open"), QStringLiteral("Konsole"),
                                   QStringLiteral("Open a Terminal")};
        kglobalaccel(QStringLiteral("doRegister"), {terminal});
        kglobalaccel(QStringLiteral("setShortcut"),
                     {terminal, QVariant::fromValue(QList<int>{(Qt::CTRL | Qt::ALT | Qt::Key_T).toCombined()}), 6u});

        BusConnections buses;
        KGlobalAccelShortcut shortcut(buses);
        QSignalSpy pressed(&shortcut, &GlobalShortcut::activated);
        QCOMPARE(shortcut.bind(QStringLiteral("Ctrl+Alt+K")), QString());
        press(QStringLiteral("ctrl+alt+k"));
        QVERIFY(pressed.wait(5000));
        // The next launch hands over the kept keys and hears them too.
        KGlobalAccelShortcut relaunched(buses);
        QSignalSpy relaunchedPressed(&relaunched, &GlobalShortcut::activated);
        QCOMPARE(relaunched.restore(QStringLiteral("Ctrl+Alt+K")), QString());
        press(QStringLiteral("ctrl+alt+k"));
        QVERIFY(relaunchedPressed.wait(5000));

        // Held back while the dialog records, then in force again.
        shortcut.setSuspended(true);
        shortcut.setSuspended(false);
        pressed.clear();
        press(QStringLiteral("ctrl+alt+k"));
        QVERIFY(pressed.wait(5000));

        const QString refusal = shortcut.bind(QStringLiteral("Ctrl+Alt+T"));
        QVERIFY2(refusal.contains(QLatin1String("Open a Terminal")), qPrintable(refusal));

        QCOMPARE(shortcut.bind(QString()), QString());
        const QDBusMessage keys = kglobalaccel(QStringLiteral("shortcut"),
                                               {QStringList{QStringLiteral("corvane"), QStringLiteral("toggle")}});
        QVERIFY(keys.arguments().isEmpty() || qdbus_cast<QList<int>>(keys.arguments().at(0)).isEmpty());
        daemon.terminate();
        daemon.waitForFinished(5000);
    }

    // The program on another desktop's Wayland session picks the portal, binds the kept keys
    // at launch, and a press starts a period and the next stops it.
    void portalPressTogglesThePeriod()
    {
        MockService portal(TestBus::mockTemplate(QStringLiteral("global_shortcuts_portal.py")), false,
                           QStringLiteral("org.freedesktop.portal.Desktop"));
        CORVANE_REQUIRE(portal.isRunning(), "python3-dbusmock");
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath(QStringLiteral("Corvane")));
        QVERIFY(writeFile(config.filePath(QStringLiteral("Corvane/Corvane.conf")),
                          "[General]\ncorvane.toggleShortcut=Ctrl+Alt+K\n"));
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("corvane-test-none"));
        const auto corvane = RunningCorvane::launch(env);
        QStringList sessions;
        QVERIFY(TestBus::waitFor(
            [&] {
                sessions = mockCall(QStringLiteral("Sessions")).arguments().value(0).toStringList();
                return sessions.size() == 1 && RunningCorvane::state() == QLatin1String("idle released");
            },
            10000));
        for (const QString &expected : {QStringLiteral("active held"), QStringLiteral("idle released")}) {
            mockCall(QStringLiteral("Press"),
                     {QVariant::fromValue(QDBusObjectPath(sessions.constFirst())), PortalGlobalShortcut::shortcutId});
            QVERIFY2(TestBus::waitFor([&] { return RunningCorvane::state() == expected; }, 5000),
                     qPrintable(RunningCorvane::state()));
        }
        RunningCorvane::call(QStringLiteral("Quit"));
        QVERIFY(RunningCorvane::exitedWithZero(*corvane));
    }

private:
    // The mock portal's own interface, to press keys and read what it holds.
    static QDBusMessage mockCall(const QString &method, const QVariantList &arguments = {})
    {
        return busCall(QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/corvane/MockPortal"),
                       QStringLiteral("org.corvane.MockPortal"), method, arguments);
    }
};

QTEST_MAIN(GlobalShortcutsTest)
#include "tst_GlobalShortcuts.moc"
