// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>

class AppDelegate;

// Where the panel is on screen, for the end-to-end tests that click it: the one thing the
// public interface does not tell. Only the test build of the program (corvane_under_test)
// has it.
class TestControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.corvane.Corvane.TestControl")

public:
    static inline const QString objectPath = QStringLiteral("/app/corvane/Corvane/TestControl");

    // Exports a control for `delegate` on `bus`, the connection that owns the program's name.
    static void exportFor(AppDelegate &delegate, QDBusConnection bus);

public Q_SLOTS:
    // "x y width height visible" of the panel window, in screen pixels.
    Q_SCRIPTABLE QString PanelGeometry();
    // "x y" on screen of the middle of the panel's widget with that object name, or an
    // empty text while it is not on screen.
    Q_SCRIPTABLE QString WidgetCenter(const QString &objectName);
    // Every text the panel shows or reads out (labels, buttons, menu items, accessible
    // names), building the panel if it is not yet built.
    Q_SCRIPTABLE QStringList PanelTexts();

private:
    explicit TestControl(AppDelegate &delegate);

    AppDelegate &m_delegate;
};
