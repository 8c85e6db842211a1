// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "UpdateTestDoubles.h"
#include "updates/UpdaterService.h"

#include <QtTest>

class UpdaterServiceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> primary;
    std::unique_ptr<LoopbackHttpServer> fallback;
    MemorySettingsStore settings;
    std::shared_ptr<ManualCheckTimer> timer;
    std::shared_ptr<RecordingUserDriver> driver;
    bool focused = false;

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
        o.updater.appcastTimeout = std::chrono::milliseconds(1000);
        o.updater.timer = timer;
        o.updater.userDriver = driver;
        o.updater.inImmediateFocus = [this] { return focused; };
        o.updater.openUrl = [](const QUrl &) {};
        return o;
    }

    void serve(LoopbackHttpServer &server, int headStatus, const QByteArray &appcast)
    {
        server.route(feedPath, {headStatus, appcast, {}, LoopbackHttpServer::Behaviour::Answer});
    }

    int heads(const LoopbackHttpServer &server) const { return int(server.requests().count("HEAD " + feedPath)); }
    int gets(const LoopbackHttpServer &server) const { return int(server.requests().count("GET " + feedPath)); }

private Q_SLOTS:
    void init()
    {
        primary = std::make_unique<LoopbackHttpServer>();
        fallback = std::make_unique<LoopbackHttpServer>();
        settings.values.clear();
        timer = std::make_shared<ManualCheckTimer>();
        driver = std::make_shared<RecordingUserDriver>();
        focused = false;
    }
    void cleanup()
    {
        primary.reset();
        fallback.reset();
    }

    void choosesTheFeedRightBeforeAScheduledCheckNotAtLaunch()
    {
        primary->route(feedPath, {0, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        fallback->route(feedPath, {0, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        UpdaterService service(settings, options());
        QVERIFY(!service.canCheck());
        QTRY_VERIFY(service.updater().started());
        QTRY_VERIFY(service.canCheck());
        QTest::qWait(100);
        QCOMPARE(heads(*primary) + heads(*fallback), 0); // launching touched no network

        timer->fire();
        QTRY_COMPARE(heads(*fallback), 1); // neither answers: the primary stays
        QCOMPARE(heads(*primary), 1);
        QTRY_COMPARE(gets(*primary), 1);
        QCOMPARE(service.feed().current(), primary->url(feedPath));
    }

    void scheduledUpdateInBackgroundRaisesUpdateAvailableUntilAttention()
    {
        serve(*primary, 200, makeAppcast({"2"}));
        UpdaterService service(settings, options());
        QSignalSpy available(&service, &UpdaterService::updateAvailableChanged);
        QTRY_VERIFY(service.updater().started());

        timer->fire();
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

    void failedCycleMovesToFallbackForTheNextOne()
    {
        // The primary answers HEAD but serves garbage; the next selection still prefers it,
        // because it answers. Only when it stops answering does the fallback take over.
        serve(*primary, 200, "garbage");
        serve(*fallback, 200, makeAppcast({"1"}));
        UpdaterService service(settings, options());
        QTRY_VERIFY(service.updater().started());
        service.checkForUpdates();
        QTRY_COMPARE(driver->shown.value(driver->shown.size() - 1), QStringLiteral("error"));
        primary->route(feedPath, {503, {}, {}, LoopbackHttpServer::Behaviour::Answer});
        service.checkForUpdates();
        QTRY_COMPARE(driver->shown.value(driver->shown.size() - 1), QStringLiteral("upToDate"));
        QCOMPARE(service.feed().current(), fallback->url(feedPath));
        QCOMPARE(gets(*fallback), 1);
    }

    void switchedOffBuildStaysOffline()
    {
        serve(*primary, 200, makeAppcast({"2"}));
        auto o = options();
        o.updater.enabled = false;
        UpdaterService service(settings, o);
        service.checkForUpdates();
        // A probe of our own, issued after the service had every chance to send one: once it
        // has arrived, anything the service sent would have arrived too.
        UpdateFeedSelector marker(o.network, o.feed);
        bool probed = false;
        marker.probe(primary->url(feedPath), [&probed](bool) { probed = true; });
        QTRY_VERIFY(probed);
        QVERIFY(!service.canCheck());
        QCOMPARE(primary->requests(), QStringList({QStringLiteral("HEAD ") + feedPath}));
        QVERIFY(fallback->requests().isEmpty());
    }
};

QTEST_MAIN(UpdaterServiceTest)
#include "tst_UpdaterService.moc"
