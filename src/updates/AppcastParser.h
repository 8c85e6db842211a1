// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/AppcastItem.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

// Reads a Sparkle appcast (RSS 2.0 with the Sparkle namespace). Items for other operating
// systems and items without a version or download are left out; an appcast that is not
// well-formed XML is an error as a whole, so a truncated feed never offers a partial list.
class AppcastParser {
    Q_DECLARE_TR_FUNCTIONS(AppcastParser)

public:
    struct Result {
        bool ok = false;
        QString error;
        QList<AppcastItem> items;
    };

    static Result parse(const QByteArray &data);

    // The newest item strictly newer than hostVersion and, unless null, strictly newer than
    // skippedVersion (critical updates ignore the skip). Null when there is none. Equal versions keep the earlier item.
    static const AppcastItem *best(const QList<AppcastItem> &items, const QString &hostVersion,
                                   const QString &skippedVersion = {});
};
