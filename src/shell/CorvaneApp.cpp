// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CorvaneApp.h"

#include "platform/BusConnections.h"
#include "shell/AppDelegate.h"
#include "shell/CommandLine.h"
#include "shell/CommandLineRunner.h"
#include "shell/CorvaneBusInterface.h"
#include "shell/SingleInstance.h"
#include "wake/SignalNotifier.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <csignal>
#include <cstdio>

namespace {
void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
}

// The system locale's language (LANGUAGE, LC_MESSAGES, LANG); Qt's own texts (dialog buttons)
// from the system's Qt translations where they are installed. Needs the application object.
struct Translations {
    QTranslator qt;
    QTranslator own;
    Translations()
    {
        if (qt.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&qt);
        if (own.load(QLocale(), QStringLiteral("corvane"), QStringLiteral("_"), QStringLiteral(":/i18n")))
            QCoreApplication::installTranslator(&own);
    }
};
// Whether Qt can find a display: a platform chosen by the user (variable or -platform)
// is theirs to answer for.
bool hasGraphicalSession(const QStringList &arguments)
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || arguments.contains(QStringLiteral("-platform"));
}
} // namespace

void CorvaneApp::catchSignalsEarly(int, char **, char **)
{
    SignalNotifier::catchEarly({SIGTERM, SIGINT, SIGHUP, SIGQUIT});
}

int CorvaneApp::run(int argc, char **argv, const std::function<void(AppDelegate &, QDBusConnection)> &onLaunched)
{
    // Again, for an executable without the early entry: a signal in the first milliseconds
    // must not end the process with its default action.
    catchSignalsEarly();
    BusConnections::preventAutolaunch();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QDateTime now = QDateTime::currentDateTime();
    const CommandLineRequest request = CommandLine::parse(arguments, now);
    if (request.action != CommandLineRequest::Action::launchTray) {
        // No display needed: the command line works over ssh and on a text console.
        QCoreApplication app(argc, argv);
        nameApplication();
        const Translations translations;
        // Parsed again now that the translations are in, for the help and the error lines.
        return CommandLineRunner::run(CommandLine::parse(arguments, now));
    }

    if (!hasGraphicalSession(arguments)) {
        // Qt would abort with four lines about platform plugins.
        std::fputs("corvane: the tray needs a graphical session (DISPLAY or WAYLAND_DISPLAY is not set); "
                   "from a terminal, use corvane --for 90m, corvane --status, corvane --help\n",
                   stderr);
        return 1;
    }

    // Wayland gives ordinary windows no position; through XWayland the panel can still be
    // placed under the tray icon. The user's own choice wins.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY")
        && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // The panel repaints a few small rectangles per frame. Through shared memory each
    // frame costs a round trip to the X server, waking two threads; sent over the socket,
    // rectangles this small cost less and wake nothing. The user's own choice wins.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv);
    nameApplication();
    QApplication::setDesktopFileName(QStringLiteral("corvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    const Translations translations;

    SingleInstance instance;
    if (!instance.claim()) {
        // The session starting us again (a second autostart entry) is no request to see it.
        if (!request.autostart)
            instance.showRunningPanel();
        return 0;
    }

    AppDelegate delegate;
    // Old autostart entries pass no option; GNOME and other session managers mark what they
    // start with DESKTOP_AUTOSTART_ID, which the programs we start must not inherit.
    delegate.setQuietStart(request.autostart || qEnvironmentVariableIsSet("DESKTOP_AUTOSTART_ID"));
    qunsetenv("DESKTOP_AUTOSTART_ID");
    CorvaneBusInterface bus(delegate.timer());
    bus.setTriggerSettings(&delegate.triggerSettings());
    QObject::connect(&bus, &CorvaneBusInterface::showPanelRequested, &delegate, &AppDelegate::showPanelRequested);
    QObject::connect(&bus, &CorvaneBusInterface::quitRequested, &delegate, &AppDelegate::quit);
    bus.publish(instance.connection());
    QObject::connect(&instance, &SingleInstance::reclaimed, &bus, [&] { bus.publish(instance.connection()); });
    // Launching has finished once the event loop runs.
    QTimer::singleShot(0, &delegate, [&delegate, &onLaunched, &instance] {
        delegate.applicationDidFinishLaunching();
        if (onLaunched)
            onLaunched(delegate, instance.connection());
    });
    QApplication::exec();
    return 0;
}
