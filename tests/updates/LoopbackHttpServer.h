// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// Where the tests serve the appcast.
inline const QString feedPath = QStringLiteral("/corvane/appcast.xml");

// A tiny HTTP/1.0 server on 127.0.0.1 for the updater tests: fixed answers per path,
// plus servers that never answer and servers that never stop sending.
class LoopbackHttpServer : public QObject {
public:
    enum class Behaviour { Answer, Hang, Endless };

    struct Route {
        int status = 200;
        QByteArray body;
        QByteArray location; // for redirects
        Behaviour behaviour = Behaviour::Answer;
    };

    LoopbackHttpServer();

    QUrl url(const QString &path) const;
    void route(const QString &path, Route answer);
    void route(const QString &path, int status, const QByteArray &body = {})
    {
        route(path, {status, body, {}, Behaviour::Answer});
    }
    // "HEAD /path", in arrival order.
    QStringList requests() const { return m_requests; }

private:
    void serve(QTcpSocket *socket);

    QTcpServer m_server;
    QHash<QString, Route> m_routes;
    QStringList m_requests;
};
