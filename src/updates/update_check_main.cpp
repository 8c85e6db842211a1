// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/UpdateFetcher.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// corvane-update-check: the tray starts it for each update check and each download, and
// talks to it over its standard input and output. Not meant to be run by hand.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    // Qt's own words for a network error reach the user's error dialog.
    QTranslator qt;
    if (qt.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
    return UpdateFetcher::serve();
}
