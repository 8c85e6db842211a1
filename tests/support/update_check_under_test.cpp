// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/UpdateFetcher.h"

#include <QCoreApplication>

// The update helper of the test build (corvane_under_test finds it beside itself): as
// shipped, except that its checks read CORVANE_TEST_FEED (plain http on 127.0.0.1) when that
// is set, so a check can run against a loopback feed.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray feed = qgetenv("CORVANE_TEST_FEED");
    return UpdateFetcher::serve([&feed](UpdateCheckProcess::Request &request) {
        if (feed.isEmpty() || request.isDownload())
            return;
        request.primary = request.fallback = QUrl(QString::fromUtf8(feed));
        request.allowInsecureLoopback = true;
    });
}
