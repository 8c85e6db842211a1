// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/UpdateFetcher.h"

#include "updates/BoundedDownload.h"
#include "updates/FeedUrlPolicy.h"
#include "updates/UpdateFeedSelector.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <unistd.h>

namespace {
using Failure = UpdateCheckProcess::Failure;

UpdateCheckProcess::Result resultOf(const BoundedDownload &download)
{
    UpdateCheckProcess::Result result;
    switch (download.outcome()) {
    case BoundedDownload::Outcome::Ok: result.ok = true; break;
    case BoundedDownload::Outcome::HttpError: result.failure = Failure::HttpStatus; break;
    case BoundedDownload::Outcome::TooLarge: result.failure = Failure::TooLarge; break;
    case BoundedDownload::Outcome::TimedOut: result.failure = Failure::TimedOut; break;
    case BoundedDownload::Outcome::NetworkError:
    case BoundedDownload::Outcome::Cancelled: result.failure = Failure::Transfer; break;
    }
    result.httpStatus = download.httpStatus();
    result.errorText = download.errorText();
    return result;
}
} // namespace

UpdateCheckProcess::Result UpdateFetcher::fetch(const UpdateCheckProcess::Request &request)
{
    QNetworkAccessManager network;
    UpdateCheckProcess::Result result;
    QEventLoop loop;
    const auto get = [&](const QUrl &url, qint64 maxBytes, std::chrono::milliseconds deadline,
                         const std::function<void(const QByteArray &)> &arrived) {
        auto *download = new BoundedDownload(&network, url, maxBytes, deadline, &loop);
        QObject::connect(download, &BoundedDownload::finished, &loop, [&, download, arrived] {
            const QUrl feed = result.feed;
            result = resultOf(*download);
            result.feed = feed;
            if (result.ok)
                arrived(download->body());
            loop.quit();
        });
    };

    if (request.isDownload()) {
        // The tray verifies and installs it; the file is only how it gets there.
        get(request.archive, request.maxArchiveBytes, request.archiveTimeout, [&](const QByteArray &archive) {
            QFile file(request.archivePath);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(archive) != archive.size()
                || !file.flush()) {
                result = {false, {}, {}, Failure::Transfer, 0, file.errorString()};
                file.remove();
            }
        });
    } else {
        UpdateFeedSelector::Options feedOptions;
        feedOptions.primary = request.primary;
        feedOptions.fallback = request.fallback;
        feedOptions.probeTimeout = request.probeTimeout;
        feedOptions.allowInsecureLoopback = request.allowInsecureLoopback;
        auto *selector = new UpdateFeedSelector(&network, feedOptions, &loop);
        selector->selectReachableFeed([&](const QUrl &feed) {
            result.feed = feed;
            if (!FeedUrlPolicy::isAllowed(feed, request.allowInsecureLoopback)) {
                result.failure = Failure::InsecureFeed;
                loop.quit();
                return;
            }
            get(feed, request.maxAppcastBytes, request.appcastTimeout,
                [&](const QByteArray &appcast) { result.appcast = appcast; });
        });
    }
    loop.exec();
    return result;
}

int UpdateFetcher::serve(const std::function<void(UpdateCheckProcess::Request &)> &adjust)
{
    QByteArray input;
    if (!isatty(STDIN_FILENO)) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            input = in.readAll();
    }
    UpdateCheckProcess::Request request = UpdateCheckProcess::Request::fromJson(input);
    if (adjust)
        adjust(request);
    const UpdateCheckProcess::Result result = fetch(request);

    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 1;
    out.write(result.toJson() + '\n');
    return 0;
}
