// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "UpdateTestDoubles.h"
#include "updates/UpdaterService.h"

#include <QtTest>

// The service, and the feed selector it consults before every check.
class UpdaterServiceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> primary;
    std::unique_ptr<LoopbackHttpServer> fallback;
    MemorySettingsStore settings;
    ManualClock time;
    std::shared_ptr<RecordingUserDriver> driver;

    UpdaterService::Options options()
    {
        UpdaterService::Options o;
        o.network = loopbackNetwork(this);
        o.feed.primary = primary->url(feedPath);
        o.feed.fallback = fallback->url(feedPath);
        o.feed.probeTimeout = std::chrono::milliseconds(200);
        o.feed.allowInsecureLoopback = true;
        o.updater.enabled = true;
        o.updater.hostVersion = QStringLiteral("1");
        o.updater.allowInsecureLoopback = true;
        o.updater.userDriver = driver;
        o.updater.inImmediateFocus = [] { return false; };
        return o;
    }

    static QUrl select(UpdateFeedSelector &selector)
    {
        std::optional<QUrl> choice;
        selector.selectReachableFeed([&choice](const QUrl &url) { choice = url; });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(choice.has_value(), 5000); }();
        return choice.value_or(QUrl());
    }

    static int heads(const LoopbackHttpServer &server) { return int(server.requests().count("HEAD " + feedPath)); }
    static int gets(const LoopbackHttpServer &server) { return int(server.requests().count("GET " + feedPath)); }

private Q_SLOTS:
    void init()
    {
        primary = std::make_unique<LoopbackHttpServer>();
        fallback = std::make_unique<LoopbackHttpServer>();
        settings.values.clear();
        driver = std::make_shared<RecordingUserDriver>();
    }

    // Redirects are followed as for the feed itself, so the primary's final answer counts.
    void choosesTheFeedThatAnswers_data()
    {
        QTest::addColumn<int>("primaryStatus");
        QTest::addColumn<QString>("location"); // on the primary's server
        QTest::addColumn<int>("fallbackStatus");
        QTest::addColumn<bool>("fromFallback"); // a failed earlier selection left the fallback in use
        QTest::addColumn<bool>("choosesPrimary");
        QTest::addColumn<bool>("fallbackProbed");
        const auto row = [](const char *name, int primaryStatus, const char *location, int fallbackStatus,
                            bool fromFallback, bool choosesPrimary, bool fallbackProbed) {
            QTest::newRow(name) << primaryStatus << QString::fromLatin1(location) << fallbackStatus << fromFallback
                                << choosesPrimary << fallbackProbed;
        };
        row("primary answers", 200, "", 200, false, true, false);
        row("primary 503", 503, "", 200, false, false, true);
        row("back to primary as soon as it answers", 200, "", 200, true, true, false);
        row("neither answers: primary", 500, "", 500, true, true, true);
        row("301 to a live path", 301, "/live", 200, false, true, false);
        row("302 to a dead path", 302, "/gone", 200, false, false, true);
        row("redirect loop", 307, "/corvane/appcast.xml", 200, false, false, true);
        row("300 with nowhere to go", 300, "", 200, false, true, false);
    }
    void choosesTheFeedThatAnswers()
    {
        const auto o = options();
        UpdateFeedSelector selector(o.network, o.feed);
        QFETCH(int, primaryStatus);
        QFETCH(QString, location);
        QFETCH(int, fallbackStatus);
        QFETCH(bool, fromFallback);
        QFETCH(bool, choosesPrimary);
        QFETCH(bool, fallbackProbed);
        if (fromFallback) {
            primary->route(feedPath, 503);
            fallback->route(feedPath, 200);
            QCOMPARE(select(selector), fallback->url(feedPath));
        }
        const int fallbackBefore = heads(*fallback);
        const QByteArray target = location.isEmpty() ? QByteArray() : primary->url(location).toEncoded();
        primary->route(feedPath, {primaryStatus, {}, target, LoopbackHttpServer::Behaviour::Answer});
        primary->route(QStringLiteral("/live"), 200);
        fallback->route(feedPath, fallbackStatus);

        const QUrl expected = (choosesPrimary ? primary : fallback)->url(feedPath);
        QCOMPARE(select(selector), expected);
        QCOMPARE(selector.feedURLString(), expected.toString());
        QCOMPARE(heads(*fallback) - fallbackBefore, fallbackProbed ? 1 : 0);
        QCOMPARE(fallback->requests().size(), heads(*fallback)); // a probe never GETs
    }

    void abortStartsOneSelectionUnlessNoUpdate()
    {
        const auto o = options();
        UpdateFeedSelector selector(o.network, o.feed);
        primary->route(feedPath, 200);

        selector.didAbortWithError({UpdateError::NoUpdateFound, {}});
        select(selector); // any selection the abort had started would have been posted before this one
        QCOMPARE(heads(*primary), 1);

        selector.didAbortWithError({UpdateError::Appcast, {}});
        QTRY_COMPARE(heads(*primary), 2);
        selector.didAbortWithError({UpdateError::Signature, {}});
        QTRY_COMPARE(heads(*primary), 3);
        select(selector);
        QCOMPARE(heads(*primary), 4);
    }

    void choosesTheFeedRightBeforeAScheduledCheckNotAtLaunch()
    {
        primary->route(feedPath, {0, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        fallback->route(feedPath, {0, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        UpdaterService service(settings, time, options());
        QTRY_VERIFY(service.canCheck()); // the updater has started

        time.runNext();
        QTRY_COMPARE(heads(*fallback), 1); // neither answers: the primary stays
        QCOMPARE(heads(*primary), 1); // one probe: launching sent none
        QTRY_COMPARE(gets(*primary), 1);
        QCOMPARE(service.feed().current(), primary->url(feedPath));
    }

    void scheduledUpdateInBackgroundRaisesUpdateAvailableUntilAttention()
    {
        primary->route(feedPath, 200, makeAppcast({"2"}));
        UpdaterService service(settings, time, options());
        QSignalSpy available(&service, &UpdaterService::updateAvailableChanged);
        QTRY_VERIFY(service.updater().started());

        time.runNext();
        QTRY_VERIFY(service.updateAvailable());
        QCOMPARE(available.size(), 1);
        QVERIFY(driver->shown.isEmpty());

        // "Update available" in the popover: select again, then show the waiting update.
        const int probes = heads(*primary);
        service.checkForUpdates();
        QVERIFY(service.updateAvailable()); // nothing happens before the selection finishes
        QTRY_VERIFY(!service.updateAvailable());
        QCOMPARE(heads(*primary), probes + 1);
        QCOMPARE(driver->shown, QStringList({"found 2"}));
        QCOMPARE(gets(*primary), 1); // the waiting update is shown, not fetched again
        QCOMPARE(available.size(), 2);

        // Dismissed with "Remind Me Later": the session ends and nothing is raised again.
        auto reply = std::move(driver->pendingReply);
        reply(UpdateUserDriver::Choice::RemindLater);
        QVERIFY(!service.updater().sessionInProgress());
        QCOMPARE(available.size(), 2);
    }

    void userCheckReadsTheFallbackWhileThePrimaryIsDown()
    {
        primary->route(feedPath, 503);
        fallback->route(feedPath, 200, makeAppcast({"1"}));
        UpdaterService service(settings, time, options());
        QTRY_VERIFY(service.updater().started());
        service.checkForUpdates();
        QTRY_COMPARE(driver->shown, QStringList({"checking", "upToDate"})); // only the fallback serves an appcast
    }

    void switchedOffBuildStaysOffline()
    {
        auto o = options();
        o.updater.enabled = false;
        UpdaterService service(settings, time, o);
        service.checkForUpdates();
        // A probe of our own, issued after the service had every chance to send one: once it
        // has arrived, anything the service sent would have arrived too.
        UpdateFeedSelector marker(o.network, o.feed);
        bool probed = false;
        marker.probe(primary->url(feedPath), [&probed](bool) { probed = true; });
        QTRY_VERIFY(probed);
        QCOMPARE(primary->requests(), QStringList({QStringLiteral("HEAD ") + feedPath}));
        QVERIFY(fallback->requests().isEmpty());
    }
};

QTEST_MAIN(UpdaterServiceTest)
#include "tst_UpdaterService.moc"
