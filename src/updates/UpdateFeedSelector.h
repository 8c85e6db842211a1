// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "updates/FeedUrlPolicy.h"

#include <QMutex>
#include <QObject>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QUrl>
#include <chrono>
#include <functional>

// Chooses which of the two appcast feeds the updater reads: the primary whenever it
// answers a HEAD request, the fallback only while the primary does not. The update helper
// makes the choice afresh before every check.
class UpdateFeedSelector : public QObject {
    Q_OBJECT
public:
    struct Options {
        QUrl primary = FeedUrlPolicy::primaryFeedURL();
        QUrl fallback = FeedUrlPolicy::fallbackFeedURL();
        std::chrono::milliseconds probeTimeout{4000};
        // Plain http to 127.0.0.1, for tests only.
        bool allowInsecureLoopback = false;
    };

    UpdateFeedSelector(QNetworkAccessManager *network, Options options, QObject *parent = nullptr);
    explicit UpdateFeedSelector(QNetworkAccessManager *network, QObject *parent = nullptr);

    QUrl current() const;

    // Probes the primary, then (only if needed) the fallback, stores the choice and hands it
    // to done. Returns at once; several selections may overlap and the last to finish wins.
    void selectReachableFeed(const std::function<void(const QUrl &)> &done = {});

    // Whether url answers a HEAD request with 2xx or 3xx within the probe time-out, after
    // the redirects an update request follows.
    void probe(const QUrl &url, std::function<void(bool)> done);

private:
    void store(const QUrl &choice);

    QPointer<QNetworkAccessManager> m_network;
    Options m_options;
    mutable QMutex m_lock;
    QUrl m_current;
};
