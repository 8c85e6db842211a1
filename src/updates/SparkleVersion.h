// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Orders version strings the way Sparkle appcasts expect: runs of digits compare as
// numbers, runs of letters compare lexically, and a release ("1.0") is newer than any
// pre-release of it ("1.0b1", "1.0rc"). Anything from the first '-' on is ignored.
class SparkleVersion {
public:
    // Negative when a is older than b, 0 when they are the same version, positive when newer.
    static int compare(const QString &a, const QString &b);
};
