// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>

// Update traffic goes over HTTPS only. Tests may allow plain HTTP to 127.0.0.1.
class FeedUrlPolicy {
public:
    static bool isAllowed(const QUrl &url, bool allowInsecureLoopback);

    // The two appcast feeds: the primary whenever it answers, else the fallback.
    static const QUrl &primaryFeedURL();
    static const QUrl &fallbackFeedURL();
};
