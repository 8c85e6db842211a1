// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CookieGrant.h"

#include "wake/Logging.h"

#include <QCoreApplication>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <QThread>

namespace {
// Long on purpose: the chain gives up on a slow service much earlier, and an answer that
// still comes must arrive so that it can be handed back.
constexpr int lateAnswerMs = 25000;
} // namespace

CookieGrant::CookieGrant(BusConnections &buses, BusConnections::Bus bus, QList<Call> calls, QString heldBy,
                         ReleasePolicy policy)
    : m_buses(buses),
      m_bus(bus),
      m_connection(buses.connection(bus)),
      m_heldBy(std::move(heldBy)),
      m_policy(std::move(policy))
{
    for (Call &call : calls)
        m_tokens.append(Token{std::move(call), {}, 0, false});
}

CookieGrant::~CookieGrant()
{
    // Calls whose answer we have not read outlive the grant, so that a late cookie is still
    // handed back; "finished" is not enough: its signal may still be on its way to us.
    for (const QPointer<QDBusPendingCallWatcher> &call : std::as_const(m_calls)) {
        if (!call || call->property("corvaneRead").toBool())
            continue;
        call->disconnect(this);
        call->setParent(QCoreApplication::instance()); // gone with the application at the latest
        QDBusPendingCallWatcher *orphan = call;
        const Call what = m_tokens.value(orphan->property("corvaneToken").toInt()).call;
        QDBusConnection connection = m_connection;
        connect(orphan, &QDBusPendingCallWatcher::finished, orphan, [orphan, what, connection] {
            orphan->deleteLater();
            const QDBusMessage reply = orphan->reply();
            if (reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("u"))
                sendRelease(connection, Token{what, reply.service(), reply.arguments().constFirst().toUInt(), true});
        });
    }
}

void CookieGrant::begin()
{
    // Watching before asking: a service that restarts while answering is noticed too.
    m_watcher = new QDBusServiceWatcher(this);
    m_watcher->setConnection(m_connection);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    for (const Token &token : std::as_const(m_tokens))
        m_watcher->addWatchedService(token.call.service);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &CookieGrant::onOwnerChanged);
    connect(&m_buses, &BusConnections::dropped, this, [this](BusConnections::Bus bus) {
        if (bus != m_bus)
            return;
        for (Token &token : m_tokens)
            token.valid = false;
        markLost(QStringLiteral("the bus connection dropped"));
        markRefused(QStringLiteral("the bus connection dropped"));
    });

    for (int i = 0; i < m_tokens.size(); ++i) {
        const Call &call = m_tokens.at(i).call;
        QDBusMessage message = QDBusMessage::createMethodCall(call.service, call.path, call.interface, call.method);
        message.setArguments(call.arguments);
        auto *watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(message, lateAnswerMs), this);
        watcher->setProperty("corvaneToken", i);
        m_calls << watcher;
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, i] {
            watcher->setProperty("corvaneRead", true);
            watcher->deleteLater();
            onReply(i, watcher->reply());
        });
    }
}

void CookieGrant::onReply(int index, const QDBusMessage &reply)
{
    Token &token = m_tokens[index];
    ++m_answers;
    const bool isCookie = reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("u");
    if (isCookie) {
        token.cookie = reply.arguments().constFirst().toUInt();
        token.issuer = reply.service();
        token.valid = !m_gone.contains(token.issuer);
    } else if (reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("s")) {
        // Not a grant; but a number in a string may well be the cookie of a real
        // inhibition, which is handed back rather than left behind.
        bool number = false;
        Token stray = token;
        stray.cookie = reply.arguments().constFirst().toString().toUInt(&number);
        stray.issuer = reply.service();
        if (number)
            sendRelease(m_connection, stray);
    }
    if (state() != State::Pending) {
        // Too late (given up on, or another part refused): a yes goes straight back.
        if (token.valid)
            sendRelease(m_connection, token);
        token.valid = false;
        return;
    }
    if (!token.valid) {
        QString why;
        if (reply.type() == QDBusMessage::ErrorMessage)
            why = reply.errorMessage().isEmpty() ? reply.errorName()
                                                 : reply.errorName() + QLatin1String(": ") + reply.errorMessage();
        else if (!isCookie)
            why = QStringLiteral("answered '%1' instead of a cookie").arg(reply.signature());
        else
            why = QStringLiteral("left the bus while answering");
        for (Token &other : m_tokens) {
            if (other.valid)
                sendRelease(m_connection, other);
            other.valid = false;
        }
        markRefused(QStringLiteral("%1 %2").arg(token.call.service, why));
        return;
    }
    if (m_answers == m_tokens.size())
        markGranted(m_heldBy);
}

void CookieGrant::onOwnerChanged(const QString &name, const QString &oldOwner, const QString &)
{
    if (oldOwner.isEmpty())
        return;
    m_gone << oldOwner;
    bool hit = false;
    for (Token &token : m_tokens) {
        if (token.valid && token.call.service == name && token.issuer == oldOwner) {
            token.valid = false;
            hit = true;
        }
    }
    if (hit)
        markLost(QStringLiteral("%1 left the bus or restarted").arg(name));
}

void CookieGrant::giveBack(State)
{
    QList<Token> owed;
    for (Token &token : m_tokens) {
        if (token.valid)
            owed << token;
        token.valid = false;
    }
    const bool onOwnThread = QThread::currentThread() == thread();
    if (owed.isEmpty())
        return;
    QDBusConnection connection = m_connection;
    auto send = [connection, owed] {
        for (const Token &token : owed)
            sendRelease(connection, token);
    };
    if (m_policy && onOwnThread)
        m_policy(send);
    else
        send();
}

void CookieGrant::sendRelease(const QDBusConnection &bus, const Token &token)
{
    // To the unique name that issued the cookie: if it is gone, the message goes nowhere.
    QDBusMessage message =
        QDBusMessage::createMethodCall(token.issuer, token.call.path, token.call.interface, token.call.releaseMethod);
    message << token.cookie;
    bus.send(message);
}
