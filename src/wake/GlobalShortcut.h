// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// A key combination that reaches the program whatever window has the focus, registered
// with the desktop's own shortcut service. Keys travel as Qt's portable text ("Ctrl+Alt+K").
class GlobalShortcut : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Puts `keys` in place of whatever this program registered before; empty keys remove
    // every trace of it from the desktop's settings. Returns why the desktop refused (the
    // keys are taken, the service is missing), empty when the keys are in force.
    virtual QString bind(const QString &keys) = 0;

    // At launch, with the keys kept in the settings. Services that forget with the session
    // (a grab, kglobalaccel's "present" mark) need them again; those that keep them in the
    // desktop's settings already have them, or the user removed them there on purpose.
    virtual QString restore(const QString &keys) { return bind(keys); }

    // While the user records new keys, the ones in force must reach the recorder instead of
    // acting. Services that can let go of the keys for a while do so; the others stop
    // reporting presses. Desktops that run a command cannot be held back from here.
    virtual void setSuspended(bool suspended) { m_suspended = suspended; }
    bool isSuspended() const { return m_suspended; }

Q_SIGNALS:
    // The keys were pressed. Desktops that run a command instead (`corvane --toggle`)
    // never emit it.
    void activated();
    // The user gave the shortcut other keys, or none, in the desktop's own settings.
    void changedByDesktop(const QString &keys);

private:
    bool m_suspended = false;
};
