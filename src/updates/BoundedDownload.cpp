// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/BoundedDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

BoundedDownload::BoundedDownload(QNetworkAccessManager *network, const QUrl &url, qint64 maxBytes,
                                 std::chrono::milliseconds deadline, QObject *parent)
    : QObject(parent),
      m_maxBytes(maxBytes)
{
    m_reply = network->get(request(url));
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
        m_httpStatus = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (m_reply->error() != QNetworkReply::NoError && m_httpStatus == 0) {
            m_errorText = m_reply->errorString();
            end(Outcome::NetworkError);
        } else if (m_httpStatus < 200 || m_httpStatus > 299) {
            end(Outcome::HttpError);
        } else {
            end(Outcome::Ok);
        }
    });

    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { end(Outcome::TimedOut); });
    m_deadline.start(deadline);
}

QNetworkRequest BoundedDownload::request(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    return request;
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
    if (outcome != Outcome::Ok)
        m_body.clear();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    Q_EMIT finished();
}
