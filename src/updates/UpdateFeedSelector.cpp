// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/UpdateFeedSelector.h"

#include "updates/BoundedDownload.h"
#include "updates/FeedUrlPolicy.h"
#include "wake/Logging.h"

#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

UpdateFeedSelector::UpdateFeedSelector(QNetworkAccessManager *network, Options options, QObject *parent)
    : QObject(parent),
      m_network(network),
      m_options(std::move(options)),
      m_current(m_options.primary)
{}

UpdateFeedSelector::UpdateFeedSelector(QNetworkAccessManager *network, QObject *parent)
    : UpdateFeedSelector(network, Options{}, parent)
{}

QUrl UpdateFeedSelector::current() const
{
    QMutexLocker locker(&m_lock);
    return m_current;
}

void UpdateFeedSelector::store(const QUrl &choice)
{
    QMutexLocker locker(&m_lock);
    m_current = choice;
}

void UpdateFeedSelector::probe(const QUrl &url, std::function<void(bool)> done)
{
    if (!m_network || !FeedUrlPolicy::isAllowed(url, m_options.allowInsecureLoopback)) {
        qCDebug(lcUpdate) << "Not probing" << url.toString() << "(not a secure address)";
        // Still answer later, so callers see one order of events whatever the URL.
        QTimer::singleShot(0, this, [done = std::move(done)] { done(false); });
        return;
    }
    // Redirects are followed as for the feed itself, so a primary that sends the updater on
    // to a dead address counts as the dead address.
    QNetworkReply *reply = m_network->head(BoundedDownload::request(url));

    // The whole probe is bounded, not just a quiet connection.
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(m_options.probeTimeout);

    connect(reply, &QNetworkReply::finished, this, [reply, url, done = std::move(done)] {
        reply->deleteLater();
        // Only the final answer counts; a redirect that was refused (https to http, too
        // many) leaves its 3xx here together with an error.
        const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        qCDebug(lcUpdate) << "Probe of" << url.toString() << "answered" << code << reply->errorString();
        done(reply->error() == QNetworkReply::NoError && code >= 200 && code <= 399);
    });
}

void UpdateFeedSelector::selectReachableFeed(const std::function<void(const QUrl &)> &done)
{
    const QUrl primary = m_options.primary;
    const QUrl fallback = m_options.fallback;
    auto finish = [this, done](const QUrl &choice) {
        qCDebug(lcUpdate) << "Update feed:" << choice.toString();
        store(choice);
        if (done)
            done(choice);
    };
    probe(primary, [this, primary, fallback, finish](bool primaryAnswers) {
        if (primaryAnswers) {
            finish(primary);
            return;
        }
        probe(fallback, [primary, fallback, finish](bool fallbackAnswers) {
            if (fallbackAnswers)
                qCWarning(lcUpdate) << "The update feed" << primary.toString() << "does not answer; using"
                                    << fallback.toString();
            else
                qCWarning(lcUpdate) << "Neither update feed answers; staying with" << primary.toString();
            finish(fallbackAnswers ? fallback : primary);
        });
    });
}
