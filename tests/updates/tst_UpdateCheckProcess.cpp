// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "UpdateTestDoubles.h"
#include "updates/UpdateCheckProcess.h"
#include "updates/UpdateFeedSelector.h"
#include "updates/UpdaterService.h"

#include <QNetworkAccessManager>
#include <QtTest>

// Update checks in the program's own check process (`corvane --check-updates`), the way the
// tray runs them: the real executable, loopback feeds; and the feed choice it makes first.
class UpdateCheckProcessTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> primary;
    std::unique_ptr<LoopbackHttpServer> fallback;
    MemorySettingsStore settings;
    std::unique_ptr<ManualClock> time;
    std::shared_ptr<RecordingUserDriver> driver;

    UpdateCheckProcess::Request request() const
    {
        UpdateCheckProcess::Request r;
        r.primary = primary->url(feedPath);
        r.fallback = fallback->url(feedPath);
        r.probeTimeout = std::chrono::milliseconds(300);
        r.appcastTimeout = std::chrono::milliseconds(2000);
        r.allowInsecureLoopback = true;
        return r;
    }

    UpdaterService::Options options()
    {
        UpdaterService::Options o;
        o.checkProgram = QStringLiteral(CORVANE_BINARY);
        o.network = loopbackNetwork(this);
        o.feed.primary = primary->url(feedPath);
        o.feed.fallback = fallback->url(feedPath);
        o.feed.probeTimeout = std::chrono::milliseconds(300);
        o.feed.allowInsecureLoopback = true;
        o.updater.enabled = true;
        o.updater.hostVersion = QStringLiteral("1");
        o.updater.allowInsecureLoopback = true;
        o.updater.userDriver = driver;
        o.updater.inImmediateFocus = [] { return false; };
        return o;
    }

    static UpdateCheckProcess::Result run(const QString &program, const UpdateCheckProcess::Request &request)
    {
        UpdateCheckProcess check(program, request);
        QSignalSpy finished(&check, &UpdateCheckProcess::finished);
        [&] { QVERIFY(finished.wait(10000)); }();
        [&] { QCOMPARE(finished.size(), 1); }();
        return check.result();
    }

    // Processes whose parent is this one, zombies included.
    static int childProcesses()
    {
        int count = 0;
        const QString self = QString::number(QCoreApplication::applicationPid());
        for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
            count += fields.size() > 2 && fields.at(2) == self.toLatin1() ? 1 : 0;
        }
        return count;
    }

private Q_SLOTS:
    void init()
    {
        primary = std::make_unique<LoopbackHttpServer>();
        fallback = std::make_unique<LoopbackHttpServer>();
        settings.values.clear();
        time = std::make_unique<ManualClock>();
        driver = std::make_shared<RecordingUserDriver>();
    }

    // The process chooses the feed as the tray did: the primary whenever it answers.
    void readsTheFeedThatAnswers_data()
    {
        QTest::addColumn<int>("primaryStatus"); // 0: never answers
        QTest::addColumn<int>("fallbackStatus");
        QTest::addColumn<bool>("fromFallback");
        QTest::addColumn<bool>("ok");
        QTest::newRow("primary answers") << 200 << 200 << false << true;
        QTest::newRow("primary 503") << 503 << 200 << true << true;
        QTest::newRow("primary hangs") << 0 << 200 << true << true;
        QTest::newRow("neither answers") << 500 << 500 << false << false;
    }
    void readsTheFeedThatAnswers()
    {
        QFETCH(int, primaryStatus);
        QFETCH(int, fallbackStatus);
        QFETCH(bool, fromFallback);
        QFETCH(bool, ok);
        // Larger than a pipe's buffer, with bytes that are not text, so the answer arrives in
        // pieces and must come back whole.
        QByteArray appcast = makeAppcast({"2", "3"});
        appcast += QByteArray(200 * 1024, '\0') + QByteArray("\xff\xfe\n", 3);
        if (primaryStatus)
            primary->route(feedPath, primaryStatus, appcast);
        else
            primary->route(feedPath, {0, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        fallback->route(feedPath, fallbackStatus, appcast);

        const UpdateCheckProcess::Result result = run(QStringLiteral(CORVANE_BINARY), request());
        QCOMPARE(result.ok, ok);
        QCOMPARE(result.feed, fromFallback ? fallback->url(feedPath) : primary->url(feedPath));
        if (ok)
            QCOMPARE(result.appcast, appcast);
        else
            QVERIFY(!result.errorText.isEmpty());
        // The primary is probed first and the fallback only when it does not answer.
        QCOMPARE(fallback->requests().isEmpty(), primaryStatus == 200);
    }

    // Redirects are followed as for the feed itself, so the primary's final answer counts;
    // plain answers, failures and silence are read end to end in readsTheFeedThatAnswers.
    void selectorFollowsRedirects_data()
    {
        QTest::addColumn<int>("primaryStatus");
        QTest::addColumn<QString>("location"); // on the primary's server
        QTest::addColumn<bool>("choosesPrimary");
        QTest::newRow("301 to a live path") << 301 << "/live" << true;
        QTest::newRow("302 to a dead path") << 302 << "/gone" << false;
        QTest::newRow("redirect loop") << 307 << QString(feedPath) << false;
        QTest::newRow("300 with nowhere to go") << 300 << "" << true;
    }
    void selectorFollowsRedirects()
    {
        QFETCH(int, primaryStatus);
        QFETCH(QString, location);
        QFETCH(bool, choosesPrimary);
        const QByteArray target = location.isEmpty() ? QByteArray() : primary->url(location).toEncoded();
        primary->route(feedPath, {primaryStatus, {}, target, LoopbackHttpServer::Behaviour::Answer});
        primary->route(QStringLiteral("/live"), 200);
        fallback->route(feedPath, 200);

        UpdateFeedSelector selector(loopbackNetwork(this), options().feed);
        std::optional<QUrl> choice;
        selector.selectReachableFeed([&choice](const QUrl &url) { choice = url; });
        QTRY_VERIFY_WITH_TIMEOUT(choice.has_value(), 5000);
        const QUrl expected = (choosesPrimary ? primary : fallback)->url(feedPath);
        QCOMPARE(*choice, expected);
        QCOMPARE(selector.current(), expected);
        // The fallback is probed only when the primary fails, and a probe never GETs.
        QCOMPARE(fallback->requests(),
                 choosesPrimary ? QStringList() : QStringList{QStringLiteral("HEAD ") + feedPath});
    }

    void aProgramThatCannotRunIsAFailedCheck()
    {
        const UpdateCheckProcess::Result result = run(QStringLiteral("/nonexistent/corvane"), request());
        QVERIFY(!result.ok);
        QVERIFY(!result.errorText.isEmpty());
    }

    // The service as the program builds it: everything reaches the interface as before, and
    // this process sends nothing itself.
    void serviceChecksInTheCheckProcess()
    {
        primary->route(feedPath, 200, makeAppcast({"2"}));
        const UpdaterService::Options o = options();
        QSignalSpy ownRequests(o.network, &QNetworkAccessManager::finished);
        UpdaterService service(settings, *time, o);
        QTRY_VERIFY(service.updater().started());

        // In the background: waits for the user, no window.
        time->runNext();
        QTRY_VERIFY_WITH_TIMEOUT(service.updateAvailable(), 10000);
        QVERIFY(driver->shown.isEmpty());
        // Asked for: the waiting update is shown.
        service.checkForUpdates();
        QTRY_COMPARE(driver->shown, QStringList({"found 2"}));
        driver->pendingReply(UpdateUserDriver::Choice::RemindLater);
        QVERIFY(time->untilNext().has_value());
        QCOMPARE(ownRequests.size(), 0);
    }

    // Cancelling the "Checking…" window ends the check process at once.
    void cancelEndsTheCheck()
    {
        primary->route(feedPath, {0, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        fallback->route(feedPath, {0, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        UpdaterService service(settings, *time, options());
        QTRY_VERIFY(service.updater().started());
        service.checkForUpdates();
        QTRY_VERIFY(!primary->requests().isEmpty()); // the check process waits on the primary
        QCOMPARE(childProcesses(), 1);
        driver->cancel();
        QCOMPARE(childProcesses(), 0);
        QVERIFY(!service.updater().sessionInProgress());
        QCOMPARE(driver->shown, QStringList({"checking"}));
    }

    void switchedOffBuildStaysOffline()
    {
        auto o = options();
        o.updater.enabled = false;
        UpdaterService service(settings, *time, o);
        service.checkForUpdates();
        QCOMPARE(childProcesses(), 0);
        // A probe of our own, issued after the service had every chance to send one: once it
        // has arrived, anything the service sent would have arrived too.
        UpdateFeedSelector marker(o.network, o.feed);
        bool probed = false;
        marker.probe(primary->url(feedPath), [&probed](bool) { probed = true; });
        QTRY_VERIFY(probed);
        QCOMPARE(primary->requests(), QStringList({QStringLiteral("HEAD ") + feedPath}));
        QVERIFY(fallback->requests().isEmpty());
        QCOMPARE(childProcesses(), 0);
    }
};

QTEST_MAIN(UpdateCheckProcessTest)
#include "tst_UpdateCheckProcess.moc"
