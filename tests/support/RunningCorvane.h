// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusMessage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>
#include <QVariantList>
#include <memory>

// The real program, started on the test environment's private buses, and the calls the
// end-to-end tests make to it: its public interface, and the test control for the panel.
namespace RunningCorvane {
// `extra` is added to this process's environment. Started as the session starts it unless
// `arguments` say otherwise: a launch by the user opens the panel where no tray is there.
std::unique_ptr<QProcess> launch(const QProcessEnvironment &extra = {},
                                 const QStringList &arguments = {QStringLiteral("--autostart")});
// Once logind holds nothing, a launch that comes up ready, idle and holding nothing (a
// period is never resumed); null when it does not.
std::unique_ptr<QProcess> launchIdle();
// A method of the public interface app.corvane.Corvane.
QDBusMessage call(const QString &method, const QVariantList &args = {});
// A property of the public interface; invalid while there is none to ask.
QVariant property(const QString &name);
// "active held", "idle released", …: the timer as the program reports it, the inhibition
// as logind lists it; empty until the program is ready.
QString state();
bool exitedWithZero(QProcess &process);
// Kills the program where it still runs and waits until its name is gone from the bus, so
// that the next launch does not hand over to it; `process` is null afterwards.
void end(std::unique_ptr<QProcess> &process);
// The items the session's StatusNotifier watcher lists: those a tray host has taken in.
QStringList registeredItems();
// logind's locks that keep the machine awake, leaving out the shutdown delay lock.
QStringList blockLocks();
// Runs the program's command line to its end, with `extra` added to this process's
// environment; `output` gets what it printed.
int commandLine(const QStringList &arguments, QString *output = nullptr, const QProcessEnvironment &extra = {});

struct PanelState {
    QRect geometry;
    bool visible = false;
};
// Where the running program's panel is and whether it shows (test control).
PanelState panel();
// The test control's other queries.
QDBusMessage control(const QString &method, const QVariantList &args = {});
} // namespace RunningCorvane
