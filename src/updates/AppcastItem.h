// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>

// One release offered by an appcast, as far as Corvane uses it.
struct AppcastItem {
    QString title;
    QString version; // sparkle:version, compared with SparkleVersion
    QString shortVersionString; // for display; falls back to version
    QUrl downloadUrl; // enclosure url
    qint64 length = -1; // enclosure length in bytes, -1 when absent or garbled
    QString edSignature; // base64, as published
    QString os; // empty or "linux" after filtering
    QUrl releaseNotesLink;
    QString description; // release notes given inline (HTML)
    QUrl link; // the release's web page
    bool criticalUpdate = false;

    QString displayVersion() const { return shortVersionString.isEmpty() ? version : shortVersionString; }
};
