#pragma once

#include <QObject>

class AppDelegate;

// Lets the end-to-end tests drive and inspect a running Corvane over the session bus. Only
// the test build of the program (corvane_under_test) has it.
class TestControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.corvane.Corvane.TestControl")

public:
    static inline const QString objectPath = QStringLiteral("/app/corvane/Corvane/TestControl");

    // Exports a control for `delegate` on the session bus.
    static void exportFor(AppDelegate &delegate);

public Q_SLOTS:
    Q_SCRIPTABLE void StartWake(int minutes);
    Q_SCRIPTABLE void Stop();
    // "displayAndSystem" or "systemOnly".
    Q_SCRIPTABLE void SetMode(const QString &mode);
    // "active" or "idle", then "held" or "released" for the assertion manager.
    Q_SCRIPTABLE QString State();
    Q_SCRIPTABLE int PanelRequests();
    // "x y width height visible" of the panel window, in screen pixels.
    Q_SCRIPTABLE QString PanelGeometry();
    // "x y" on screen of the middle of the panel's widget with that object name, or an
    // empty text while it is not on screen.
    Q_SCRIPTABLE QString WidgetCenter(const QString &objectName);
    Q_SCRIPTABLE void Quit();

private:
    explicit TestControl(AppDelegate &delegate);

    AppDelegate &m_delegate;
    int m_panelRequests = 0;
};
