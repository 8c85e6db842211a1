#pragma once

#include <QDBusMessage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>
#include <QVariantList>
#include <memory>

// The real program, started on the test environment's private buses with its test
// control exported, and the calls the end-to-end tests make to it.
namespace RunningCorvane {
// `extra` is added to this process's environment.
std::unique_ptr<QProcess> launch(const QProcessEnvironment &extra = {});
QDBusMessage control(const QString &method, const QVariantList &args = {});
// "active held", "idle released", …; empty until the program is ready.
QString state();
bool exitedWithZero(QProcess &process);
// logind's locks that keep the machine awake, leaving out the shutdown delay lock.
QStringList blockLocks();

struct PanelState {
    QRect geometry;
    bool visible = false;
};
// Where the running program's panel is and whether it shows.
PanelState panel();
} // namespace RunningCorvane
