// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/UpdateCheckProcess.h"

#include "updates/FeedUrlPolicy.h"
#include "wake/Logging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
qint64 millis(const QJsonObject &object, const char *key, std::chrono::milliseconds fallback)
{
    return object.value(QLatin1String(key)).toInteger(fallback.count());
}

using Failure = UpdateCheckProcess::Failure;
const std::pair<Failure, QLatin1String> failureNames[] = {
    {Failure::Transfer, QLatin1String("transfer")},         {Failure::HttpStatus, QLatin1String("httpStatus")},
    {Failure::TooLarge, QLatin1String("tooLarge")},         {Failure::TimedOut, QLatin1String("timedOut")},
    {Failure::InsecureFeed, QLatin1String("insecureFeed")},
};

// The helper's answer put into the user's words, here where the translations are.
QString describe(Failure failure, int httpStatus, const QString &transferError)
{
    switch (failure) {
    case Failure::None:
    case Failure::Transfer: return transferError;
    case Failure::HttpStatus: return UpdateCheckProcess::tr("The server answered with HTTP status %1.").arg(httpStatus);
    case Failure::TooLarge: return UpdateCheckProcess::tr("The server sent more data than expected.");
    case Failure::TimedOut: return UpdateCheckProcess::tr("The server took too long to answer.");
    case Failure::InsecureFeed:
        return QCoreApplication::translate("AppcastUpdater", "The update feed address is not a secure address.");
    }
    return transferError;
}
} // namespace

UpdateCheckProcess::Request::Request()
    : primary(FeedUrlPolicy::primaryFeedURL()),
      fallback(FeedUrlPolicy::fallbackFeedURL())
{}

QByteArray UpdateCheckProcess::Request::toJson() const
{
    QJsonObject object{
        {QStringLiteral("primary"), primary.toString()},
        {QStringLiteral("fallback"), fallback.toString()},
        {QStringLiteral("probeTimeoutMs"), qint64(probeTimeout.count())},
        {QStringLiteral("appcastTimeoutMs"), qint64(appcastTimeout.count())},
        {QStringLiteral("maxAppcastBytes"), maxAppcastBytes},
        {QStringLiteral("allowInsecureLoopback"), allowInsecureLoopback},
    };
    if (isDownload()) {
        object.insert(QStringLiteral("archive"), archive.toString());
        object.insert(QStringLiteral("archivePath"), archivePath);
        object.insert(QStringLiteral("maxArchiveBytes"), maxArchiveBytes);
        object.insert(QStringLiteral("archiveTimeoutMs"), qint64(archiveTimeout.count()));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

UpdateCheckProcess::Request UpdateCheckProcess::Request::fromJson(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    Request request;
    const QUrl primary(object.value(QStringLiteral("primary")).toString());
    const QUrl fallback(object.value(QStringLiteral("fallback")).toString());
    if (primary.isValid())
        request.primary = primary;
    if (fallback.isValid())
        request.fallback = fallback;
    request.probeTimeout = std::chrono::milliseconds(millis(object, "probeTimeoutMs", request.probeTimeout));
    request.appcastTimeout = std::chrono::milliseconds(millis(object, "appcastTimeoutMs", request.appcastTimeout));
    request.maxAppcastBytes = object.value(QStringLiteral("maxAppcastBytes")).toInteger(request.maxAppcastBytes);
    request.allowInsecureLoopback = object.value(QStringLiteral("allowInsecureLoopback")).toBool(false);
    request.archive = QUrl(object.value(QStringLiteral("archive")).toString());
    request.archivePath = object.value(QStringLiteral("archivePath")).toString();
    request.maxArchiveBytes = object.value(QStringLiteral("maxArchiveBytes")).toInteger(0);
    request.archiveTimeout = std::chrono::milliseconds(millis(object, "archiveTimeoutMs", request.archiveTimeout));
    return request;
}

QByteArray UpdateCheckProcess::Result::toJson() const
{
    QJsonObject object{{QStringLiteral("ok"), ok}, {QStringLiteral("feed"), feed.toString()}};
    if (!appcast.isEmpty())
        object.insert(QStringLiteral("appcast"), QString::fromLatin1(appcast.toBase64()));
    for (const auto &[value, name] : failureNames)
        if (value == failure)
            object.insert(QStringLiteral("failure"), name);
    if (httpStatus)
        object.insert(QStringLiteral("status"), httpStatus);
    if (!errorText.isEmpty())
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
    const QString failure = object.value(QStringLiteral("failure")).toString();
    for (const auto &[value, name] : failureNames)
        if (failure == name)
            result.failure = value;
    result.httpStatus = object.value(QStringLiteral("status")).toInt();
    result.errorText = describe(result.failure, result.httpStatus, object.value(QStringLiteral("error")).toString());
    return result;
}

UpdateCheckProcess::UpdateCheckProcess(const QString &program, const Request &request, QObject *parent)
    : QObject(parent),
      // Base64 of the largest appcast allowed, with room for the rest of the answer.
      m_maxOutput((request.isDownload() ? 0 : request.maxAppcastBytes / 3 * 4) + 64 * 1024)
{
    m_process.setProgram(program);
    // Its warnings (a feed that does not answer) belong in our log, as they would in-process.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        m_output += m_process.readAllStandardOutput();
        if (m_output.size() > m_maxOutput)
            end({false, {}, {}, Failure::TooLarge, 0, describe(Failure::TooLarge, 0, {})});
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
            end({false, {}, {}, Failure::Transfer, 0, m_process.errorString()});
    });

    // The helper bounds each of its steps; this bounds the process, should it hang anyway.
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        end({false, {}, {}, Failure::TimedOut, 0, describe(Failure::TimedOut, 0, {})});
    });
    using namespace std::chrono_literals;
    m_deadline.start((request.isDownload() ? request.archiveTimeout : 2 * request.probeTimeout + request.appcastTimeout)
                     + 5s);

    qCDebug(lcUpdate) << (request.isDownload() ? "Downloading the update in" : "Checking for updates in") << program;
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

QString UpdateCheckProcess::installedHelper()
{
    const QString folder = QCoreApplication::applicationDirPath();
    QString beside = folder + QStringLiteral("/corvane-update-check");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QFileInfo(folder + QStringLiteral("/" CORVANE_HELPER_FROM_BINDIR)).absoluteFilePath();
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
    qCDebug(lcUpdate) << "Update helper answered" << m_result.feed.toString()
                      << (m_result.ok ? "" : m_result.errorText);
    // Never from inside the constructor, whatever failed there.
    QMetaObject::invokeMethod(this, &UpdateCheckProcess::finished, Qt::QueuedConnection);
}
