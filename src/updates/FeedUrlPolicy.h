// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QNetworkRequest>
#include <QUrl>

// Update traffic goes over HTTPS only. Tests may allow plain HTTP to 127.0.0.1.
class FeedUrlPolicy {
public:
    static bool isAllowed(const QUrl &url, bool allowInsecureLoopback);
    // Every update request: never from or into the cache, and redirects followed (feeds
    // and downloads often live behind one) but never from https down to http.
    static QNetworkRequest request(const QUrl &url);
};
