#include "shell/CorvaneApp.h"

#include "shell/AppDelegate.h"
#include "shell/SingleInstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int CorvaneApp::run(int argc, char **argv, const std::function<void(AppDelegate &)> &onLaunched)
{
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

    // The system locale's language (LANGUAGE, LC_MESSAGES, LANG); Qt's own texts (dialog
    // buttons) from the system's Qt translations where they are installed.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("corvane"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        QApplication::installTranslator(&translator);

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
