// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"

#include <QTcpSocket>

LoopbackHttpServer::LoopbackHttpServer()
{
    m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl LoopbackHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LoopbackHttpServer::route(const QString &path, Route answer)
{
    m_routes.insert(path, std::move(answer));
}

void LoopbackHttpServer::serve(QTcpSocket *socket)
{
    if (socket->property("served").toBool())
        return;
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n"))
        return;
    socket->setProperty("served", true);

    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString method = QString::fromLatin1(requestLine.value(0));
    const QString path = QString::fromLatin1(requestLine.value(1));
    m_requests << method + u' ' + path;

    const Route route = m_routes.value(path, Route{404, "not found", {}, Behaviour::Answer});
    if (route.behaviour == Behaviour::Hang)
        return;
    if (route.behaviour == Behaviour::Endless) {
        // No length announced, and never more than a little waiting to be written.
        const auto more = [socket] {
            if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 256 * 1024)
                socket->write(QByteArray(64 * 1024, ' '));
        };
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: application/xml\r\n\r\n<rss>");
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
        return;
    }
    QByteArray answer = "HTTP/1.0 " + QByteArray::number(route.status) + " Status\r\n";
    if (!route.location.isEmpty())
        answer += "Location: " + route.location + "\r\n";
    answer += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\nConnection: close\r\n\r\n";
    if (method != u"HEAD")
        answer += route.body;
    socket->write(answer);
    socket->disconnectFromHost();
}
