// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>

// One job of the update helper (`corvane-update-check`, a short-lived process of its own):
// an update check, which chooses the feed (the primary when it answers a HEAD request, else
// the fallback) and fetches that feed's appcast, or the download of an update's archive to
// a file. The tray lives all day; the network and TLS libraries, and their caches, stay out
// of it altogether, so it is no heavier after a check or a download than before.
//
// This is the tray's side: it starts the helper, hands it the request on its standard input
// and reads the answer from its standard output. UpdateFetcher is the helper's side.
class UpdateCheckProcess : public QObject {
    Q_OBJECT
public:
    // What the helper is asked to do, sent as JSON. Missing fields take the values the
    // program uses.
    struct Request {
        QUrl primary;
        QUrl fallback;
        std::chrono::milliseconds probeTimeout{4000};
        std::chrono::milliseconds appcastTimeout{30000};
        qint64 maxAppcastBytes = 1024 * 1024;
        // Plain http to 127.0.0.1, for tests only.
        bool allowInsecureLoopback = false;

        // Set for a download instead of a check: the archive is written to archivePath,
        // which must not exist yet, and never holds more than maxArchiveBytes.
        QUrl archive;
        QString archivePath;
        qint64 maxArchiveBytes = 0;
        std::chrono::milliseconds archiveTimeout{10 * 60 * 1000};

        Request();
        bool isDownload() const { return archive.isValid(); }
        QByteArray toJson() const;
        static Request fromJson(const QByteArray &json);
    };

    enum class Failure { None, Transfer, HttpStatus, TooLarge, TimedOut, InsecureFeed };

    // What came back: the feed that was read and its appcast (a check), or whether the
    // archive is in place (a download), or why not.
    struct Result {
        bool ok = false;
        QUrl feed;
        QByteArray appcast;
        Failure failure = Failure::None;
        int httpStatus = 0;
        // Why it failed, for the user. From the helper, only Qt's words for a transfer
        // error; the rest is put into words on reading.
        QString errorText;

        QByteArray toJson() const;
        static Result fromJson(const QByteArray &json);
    };

    // Starts the helper at once; finished() follows exactly once, never from inside this
    // call. Deleting the object ends the helper.
    UpdateCheckProcess(const QString &program, const Request &request, QObject *parent = nullptr);
    ~UpdateCheckProcess() override;

    const Result &result() const { return m_result; }

    // Where this installation keeps its helper: next to the program in a build tree, else
    // in the libexec folder beside the program's bin folder.
    static QString installedHelper();

Q_SIGNALS:
    void finished();

private:
    void end(Result result);

    QProcess m_process;
    QTimer m_deadline;
    QByteArray m_output;
    qint64 m_maxOutput;
    Result m_result;
    bool m_done = false;
};
