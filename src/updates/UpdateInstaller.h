// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// Puts a verified AppImage in place of the running one.
class UpdateInstaller {
    Q_DECLARE_TR_FUNCTIONS(UpdateInstaller)

public:
    struct Result {
        bool ok = false;
        QString message;
        QString backupPath;
    };

    // Whether path names an AppImage this user may replace (file and folder writable).
    static bool canReplace(const QString &path);

    // Writes the new image next to the old one, keeps the old one as "<path>.bak" and swaps
    // the new one in with one rename, so path is at every moment either the old or the new
    // complete file.
    static Result replaceAppImage(const QString &path, const QByteArray &image);
};
