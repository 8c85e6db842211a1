// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Why an update cycle ended early. The codes are the ones Sparkle uses, so that an abort
// with NoUpdateFound (1001) means "up to date" and nothing else.
struct UpdateError {
    enum Code : int {
        AppcastParse = 1000,
        NoUpdateFound = 1001,
        Appcast = 1002,
        Download = 2001,
        Signature = 3001,
        Validation = 3002,
        Installation = 4005,
    };

    int code = 0;
    QString message;
};
