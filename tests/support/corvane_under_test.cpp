// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestControl.h"
#include "shell/CorvaneApp.h"
#include "updates/UpdateCheckProcess.h"

#include <QCoreApplication>
#include <cstring>

CORVANE_CATCH_SIGNALS_FIRST

// The program exactly as shipped, plus a control object on the session bus for the tests.
// Its update checks read CORVANE_TEST_FEED (plain http on 127.0.0.1) when that is set, so a
// check can run against a loopback feed.
int main(int argc, char **argv)
{
    const QByteArray feed = qgetenv("CORVANE_TEST_FEED");
    if (argc == 2 && std::strcmp(argv[1], "--check-updates") == 0 && !feed.isEmpty()) {
        QCoreApplication app(argc, argv);
        return UpdateCheckProcess::serve([&feed](UpdateCheckProcess::Request &request) {
            request.primary = request.fallback = QUrl(QString::fromUtf8(feed));
            request.allowInsecureLoopback = true;
        });
    }
    return CorvaneApp::run(argc, argv, &TestControl::exportFor);
}
