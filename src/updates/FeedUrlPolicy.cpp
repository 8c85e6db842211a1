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

QNetworkRequest FeedUrlPolicy::request(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    return request;
}
