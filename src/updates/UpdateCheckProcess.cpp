// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/UpdateCheckProcess.h"

#include "updates/BoundedDownload.h"
#include "updates/FeedUrlPolicy.h"
#include "updates/UpdateFeedSelector.h"
#include "wake/Logging.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <unistd.h>

namespace {
// Texts the check shares with the in-process download, so their translations are reused.
QString downloadText(const char *text)
{
    return QCoreApplication::translate("BoundedDownload", text);
}

qint64 millis(const QJsonObject &object, const char *key, std::chrono::milliseconds fallback)
{
    return object.value(QLatin1String(key)).toInteger(fallback.count());
}
} // namespace

QByteArray UpdateCheckProcess::Request::toJson() const
{
    const QJsonObject object{
        {QStringLiteral("primary"), primary.toString()},
        {QStringLiteral("fallback"), fallback.toString()},
        {QStringLiteral("probeTimeoutMs"), qint64(probeTimeout.count())},
        {QStringLiteral("appcastTimeoutMs"), qint64(appcastTimeout.count())},
        {QStringLiteral("maxAppcastBytes"), maxAppcastBytes},
        {QStringLiteral("allowInsecureLoopback"), allowInsecureLoopback},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

UpdateCheckProcess::Request UpdateCheckProcess::Request::fromJson(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    Request request;
    const QUrl primary(object.value(QStringLiteral("primary")).toString());
    const QUrl fallback(object.value(QStringLiteral("fallback")).toString());
    request.primary = primary.isValid() ? primary : UpdateFeedSelector::primaryFeedURL();
    request.fallback = fallback.isValid() ? fallback : UpdateFeedSelector::fallbackFeedURL();
    request.probeTimeout = std::chrono::milliseconds(millis(object, "probeTimeoutMs", request.probeTimeout));
    request.appcastTimeout = std::chrono::milliseconds(millis(object, "appcastTimeoutMs", request.appcastTimeout));
    request.maxAppcastBytes = object.value(QStringLiteral("maxAppcastBytes")).toInteger(request.maxAppcastBytes);
    request.allowInsecureLoopback = object.value(QStringLiteral("allowInsecureLoopback")).toBool(false);
    return request;
}

QByteArray UpdateCheckProcess::Result::toJson() const
{
    QJsonObject object{{QStringLiteral("ok"), ok}, {QStringLiteral("feed"), feed.toString()}};
    if (ok)
        object.insert(QStringLiteral("appcast"), QString::fromLatin1(appcast.toBase64()));
    else
        object.insert(QStringLiteral("error"), errorText);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

UpdateCheckProcess::Result UpdateCheckProcess::Result::fromJson(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    Result result;
    result.ok = object.value(QStringLiteral("ok")).toBool(false);
    result.feed = QUrl(object.value(QStringLiteral("feed")).toString());
    result.appcast = QByteArray::fromBase64(object.value(QStringLiteral("appcast")).toString().toLatin1());
    result.errorText = object.value(QStringLiteral("error")).toString();
    return result;
}

UpdateCheckProcess::UpdateCheckProcess(const QString &program, const Request &request, QObject *parent)
    : QObject(parent),
      // Base64 of the largest appcast allowed, with room for the rest of the answer.
      m_maxOutput(request.maxAppcastBytes / 3 * 4 + 64 * 1024)
{
    m_process.setProgram(program);
    m_process.setArguments({QStringLiteral("--check-updates")});
    // Its warnings (a feed that does not answer) belong in our log, as they did in-process.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        m_output += m_process.readAllStandardOutput();
        if (m_output.size() > m_maxOutput)
            end({false, {}, {}, downloadText("The server sent more data than expected.")});
    });
    connect(&m_process, &QProcess::finished, this, [this] {
        m_output += m_process.readAllStandardOutput();
        Result result = Result::fromJson(m_output);
        if (!result.ok && result.errorText.isEmpty())
            result.errorText = m_process.errorString();
        end(std::move(result));
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end({false, {}, {}, m_process.errorString()});
    });

    // The check bounds each of its steps; this bounds the process, should it hang anyway.
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        end({false, {}, {}, downloadText("The server took too long to answer.")});
    });
    using namespace std::chrono_literals;
    m_deadline.start(2 * request.probeTimeout + request.appcastTimeout + 5s);

    qCDebug(lcUpdate) << "Checking for updates in" << program << "--check-updates";
    m_process.start();
    m_process.write(request.toJson());
    m_process.closeWriteChannel();
}

UpdateCheckProcess::~UpdateCheckProcess()
{
    m_done = true;
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void UpdateCheckProcess::end(Result result)
{
    if (m_done)
        return;
    m_done = true;
    m_deadline.stop();
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning)
        m_process.kill();
    m_result = std::move(result);
    qCDebug(lcUpdate) << "Update check read" << m_result.feed.toString() << (m_result.ok ? "" : m_result.errorText);
    // Never from inside the constructor, whatever failed there.
    QMetaObject::invokeMethod(this, &UpdateCheckProcess::finished, Qt::QueuedConnection);
}

int UpdateCheckProcess::serve(const std::function<void(Request &)> &adjust)
{
    QByteArray input;
    if (!isatty(STDIN_FILENO)) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            input = in.readAll();
    }
    Request request = Request::fromJson(input);
    if (adjust)
        adjust(request);

    QNetworkAccessManager network;
    UpdateFeedSelector::Options feedOptions;
    feedOptions.primary = request.primary;
    feedOptions.fallback = request.fallback;
    feedOptions.probeTimeout = request.probeTimeout;
    feedOptions.allowInsecureLoopback = request.allowInsecureLoopback;
    UpdateFeedSelector selector(&network, feedOptions);

    Result result;
    QEventLoop loop;
    selector.selectReachableFeed([&](const QUrl &feed) {
        result.feed = feed;
        if (!FeedUrlPolicy::isAllowed(feed, request.allowInsecureLoopback)) {
            result.errorText =
                QCoreApplication::translate("AppcastUpdater", "The update feed address is not a secure address.");
            loop.quit();
            return;
        }
        auto *download = new BoundedDownload(&network, feed, request.maxAppcastBytes, request.appcastTimeout, &loop);
        QObject::connect(download, &BoundedDownload::finished, &loop, [&result, &loop, download] {
            result.ok = download->outcome() == BoundedDownload::Outcome::Ok;
            if (result.ok)
                result.appcast = download->body();
            else
                result.errorText = download->errorText();
            loop.quit();
        });
    });
    loop.exec();

    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 1;
    out.write(result.toJson() + '\n');
    return 0;
}
