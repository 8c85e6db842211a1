// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/BoundedDownload.h"

#include "updates/FeedUrlPolicy.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

BoundedDownload::BoundedDownload(QNetworkAccessManager *network, const QUrl &url, qint64 maxBytes,
                                 std::chrono::milliseconds deadline, QObject *parent)
    : QObject(parent),
      m_maxBytes(maxBytes)
{
    m_reply = network->get(FeedUrlPolicy::request(url));
    // A small buffer makes readyRead arrive in steps, so an oversized body is caught early.
    m_reply->setReadBufferSize(64 * 1024);

    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_maxBytes)
            end(Outcome::TooLarge);
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &BoundedDownload::readSome);
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        if (m_done)
            return;
        readSome();
        if (m_done)
            return;
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (m_reply->error() != QNetworkReply::NoError && status == 0) {
            m_errorText = m_reply->errorString();
            end(Outcome::NetworkError);
        } else if (status < 200 || status > 299) {
            m_errorText = tr("The server answered with HTTP status %1.").arg(status);
            end(Outcome::HttpError);
        } else {
            end(Outcome::Ok);
        }
    });

    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { end(Outcome::TimedOut); });
    m_deadline.start(deadline);
}

BoundedDownload::~BoundedDownload()
{
    m_done = true;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void BoundedDownload::cancel()
{
    end(Outcome::Cancelled);
}

void BoundedDownload::readSome()
{
    if (m_done || !m_reply)
        return;
    const qint64 available = m_reply->bytesAvailable();
    if (m_body.size() + available > m_maxBytes) {
        end(Outcome::TooLarge);
        return;
    }
    m_body += m_reply->readAll();
}

void BoundedDownload::end(Outcome outcome)
{
    if (m_done)
        return;
    m_done = true;
    m_outcome = outcome;
    m_deadline.stop();
    switch (outcome) {
    case Outcome::TooLarge:
        m_errorText = tr("The server sent more data than expected.");
        m_body.clear();
        break;
    case Outcome::TimedOut:
        m_errorText = tr("The server took too long to answer.");
        m_body.clear();
        break;
    case Outcome::Cancelled: m_body.clear(); break;
    default: break;
    }
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    Q_EMIT finished();
}
