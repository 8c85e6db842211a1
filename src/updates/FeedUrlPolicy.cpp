// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/FeedUrlPolicy.h"

bool FeedUrlPolicy::isAllowed(const QUrl &url, bool allowInsecureLoopback)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == u"https")
        return true;
    return allowInsecureLoopback && url.scheme() == u"http" && url.host() == u"127.0.0.1";
}

const QUrl &FeedUrlPolicy::primaryFeedURL()
{
    static const QUrl url(QStringLiteral("https://updates.corvane.app/corvane/appcast.xml"));
    return url;
}

const QUrl &FeedUrlPolicy::fallbackFeedURL()
{
    static const QUrl url(QStringLiteral("https://corvane-updates.github.io/corvane/appcast.xml"));
    return url;
}
