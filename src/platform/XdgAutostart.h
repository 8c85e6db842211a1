// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LoginItemBackend.h"

#include <QString>

// Launch at login through an XDG autostart entry in the user's config folder
// ($XDG_CONFIG_HOME/autostart). An entry the user switched off in the desktop's settings
// (Hidden=true or X-GNOME-Autostart-enabled=false) reads as waiting for approval; one whose
// Exec does not start this very program (say, an AppImage since moved) as not registered.
// The entry is always our own file: a symlink, FIFO or device at its path is replaced, never
// written through.
class XdgAutostart : public LoginItemBackend {
public:
    static inline const QString fileName = QStringLiteral("corvane.desktop");

    // The program's: the user's autostart folder, starting this very executable.
    XdgAutostart();
    // For tests: a given folder and program path.
    XdgAutostart(QString autostartDir, QString program);

    Status status() const override;
    bool registerItem() override;
    bool unregisterItem() override;
    void openSettings() override;

    QString entryPath() const;
    QString program() const { return m_program; }

    // The executable to start at login: the AppImage when running from one, else the
    // running binary.
    static QString runningProgram();
    // `program` as the Exec key of a desktop entry: quoted where the Desktop Entry
    // Specification requires it, with '%' doubled and string escapes applied; a path with
    // '%' is started through /usr/bin/env.
    static QString execValue(const QString &program);
    // The entry written for `program`. It passes --autostart, so the program knows the session
    // started it; entries written before, without it, still count as ours.
    static QByteArray entryText(const QString &program);

private:
    bool startsThisProgram(const QByteArray &entry) const;

    QString m_dir;
    QString m_program;
};
