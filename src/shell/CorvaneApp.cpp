#include "shell/CorvaneApp.h"

#include "shell/AppDelegate.h"
#include "shell/SingleInstance.h"
#include "wake/SignalNotifier.h"

#include <QApplication>
#include <QTimer>
#include <csignal>

int CorvaneApp::run(int argc, char **argv, const std::function<void(AppDelegate &)> &onLaunched)
{
    // Before anything else: a signal in the first milliseconds must not end the process
    // with its default action; it waits in the pipe for the termination guard.
    SignalNotifier::catchEarly({SIGTERM, SIGINT, SIGHUP, SIGQUIT});

    // Wayland gives ordinary windows no position; through XWayland the panel can still be
    // placed under the tray icon. The user's own choice wins.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY")
        && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    QApplication::setDesktopFileName(QStringLiteral("corvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (!instance.claim()) {
        instance.showRunningPanel();
        return 0;
    }

    AppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::showPanelRequested, &delegate, &AppDelegate::showPanelRequested);
    // Launching has finished once the event loop runs.
    QTimer::singleShot(0, &delegate, [&delegate, &onLaunched] {
        delegate.applicationDidFinishLaunching();
        if (onLaunched)
            onLaunched(delegate);
    });
    QApplication::exec();
    return 0;
}
