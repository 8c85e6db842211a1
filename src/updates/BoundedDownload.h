// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// One GET that cannot run away: it gives up when the body grows past a size limit or the
// whole transfer takes longer than a deadline, and reports exactly once.
class BoundedDownload : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Ok, NetworkError, HttpError, TooLarge, TimedOut, Cancelled };

    BoundedDownload(QNetworkAccessManager *network, const QUrl &url, qint64 maxBytes,
                    std::chrono::milliseconds deadline, QObject *parent = nullptr);
    ~BoundedDownload() override;

    // Every update request: never from or into the cache, and redirects followed (feeds
    // and downloads often live behind one) but never from https down to http.
    static QNetworkRequest request(const QUrl &url);

    void cancel();

    Outcome outcome() const { return m_outcome; }
    QByteArray body() const { return m_body; }
    // The final HTTP status, once there is one.
    int httpStatus() const { return m_httpStatus; }
    // Qt's words for a network error.
    QString errorText() const { return m_errorText; }

Q_SIGNALS:
    void finished();

private:
    void readSome();
    void end(Outcome outcome);

    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    qint64 m_maxBytes;
    QByteArray m_body;
    Outcome m_outcome = Outcome::Ok;
    int m_httpStatus = 0;
    QString m_errorText;
    bool m_done = false;
};
