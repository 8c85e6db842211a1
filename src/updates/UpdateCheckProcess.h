// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>

// One update check in a short-lived process of the program itself (`corvane
// --check-updates`): it chooses the feed (the primary when it answers a HEAD request, else
// the fallback), fetches that feed's appcast and writes both to its standard output. The
// tray lives all day; doing this here would leave it holding the network and TLS libraries,
// and their caches, for the rest of the day after every check.
//
// Both ends of the exchange live in this class: the tray side starts the process and reads
// its answer; serve() is what the process runs.
class UpdateCheckProcess : public QObject {
    Q_OBJECT
public:
    // What the check is asked to do, sent on the process's standard input as JSON. Missing
    // fields take the values the program uses.
    struct Request {
        QUrl primary;
        QUrl fallback;
        std::chrono::milliseconds probeTimeout{4000};
        std::chrono::milliseconds appcastTimeout{30000};
        qint64 maxAppcastBytes = 1024 * 1024;
        // Plain http to 127.0.0.1, for tests only.
        bool allowInsecureLoopback = false;

        QByteArray toJson() const;
        static Request fromJson(const QByteArray &json);
    };

    // What came back: the feed that was read, and its appcast or why there is none.
    struct Result {
        bool ok = false;
        QUrl feed;
        QByteArray appcast;
        QString errorText;

        QByteArray toJson() const;
        static Result fromJson(const QByteArray &json);
    };

    // Starts `program --check-updates` at once; finished() follows exactly once, never from
    // inside this call. Deleting the object ends the check.
    UpdateCheckProcess(const QString &program, const Request &request, QObject *parent = nullptr);
    ~UpdateCheckProcess() override;

    const Result &result() const { return m_result; }

    // The check process's side: reads a Request from standard input (none from a terminal),
    // writes the Result to standard output, returns the exit status. Needs a running
    // QCoreApplication for its event loop. `adjust` may change the request first.
    static int serve(const std::function<void(Request &)> &adjust = {});

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
