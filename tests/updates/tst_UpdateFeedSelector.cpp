#include "LoopbackHttpServer.h"
#include "UpdateTestDoubles.h"
#include "updates/UpdateFeedSelector.h"

#include <QtTest>

namespace {
const QString feedPath = QStringLiteral("/corvane/appcast.xml");
}

class UpdateFeedSelectorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> primary;
    std::unique_ptr<LoopbackHttpServer> fallback;
    std::unique_ptr<UpdateFeedSelector> selector;

    void makeSelector(bool allowLoopback = true)
    {
        UpdateFeedSelector::Options options;
        options.primary = primary->url(feedPath);
        options.fallback = fallback->url(feedPath);
        options.probeTimeout = std::chrono::milliseconds(200);
        options.allowInsecureLoopback = allowLoopback;
        selector = std::make_unique<UpdateFeedSelector>(loopbackNetwork(this), options);
    }

    QUrl select()
    {
        std::optional<QUrl> choice;
        selector->selectReachableFeed([&choice](const QUrl &url) { choice = url; });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(choice.has_value(), 5000); }();
        return choice.value_or(QUrl());
    }

    int heads(const LoopbackHttpServer &server) const { return server.count(QStringLiteral("HEAD"), feedPath); }

private Q_SLOTS:
    void init()
    {
        primary = std::make_unique<LoopbackHttpServer>();
        fallback = std::make_unique<LoopbackHttpServer>();
        makeSelector();
    }
    void cleanup()
    {
        selector.reset();
        primary.reset();
        fallback.reset();
    }

    void feedConstantsAreHttpsOnTwoHosts()
    {
        const QUrl &a = UpdateFeedSelector::primaryFeedURL();
        const QUrl &b = UpdateFeedSelector::fallbackFeedURL();
        QCOMPARE(a.scheme(), QStringLiteral("https"));
        QCOMPARE(b.scheme(), QStringLiteral("https"));
        QCOMPARE(a.path(), feedPath);
        QCOMPARE(b.path(), feedPath);
        QVERIFY(a.host() != b.host());
    }

    // Redirects are followed as for the feed itself; the fallback always answers.
    void choiceFollowsThePrimarysFinalAnswer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("primaryChosen");
        QTest::newRow("200") << 200 << QString() << true;
        QTest::newRow("404") << 404 << QString() << false;
        QTest::newRow("503") << 503 << QString() << false;
        QTest::newRow("405 to HEAD") << 405 << QString() << false;
        QTest::newRow("301 to a live path") << 301 << QStringLiteral("/live") << true;
        QTest::newRow("302 to a dead path") << 302 << QStringLiteral("/gone") << false;
        QTest::newRow("redirect loop") << 307 << feedPath << false;
        QTest::newRow("300 with nowhere to go") << 300 << QString() << true;
    }
    void choiceFollowsThePrimarysFinalAnswer()
    {
        QFETCH(int, status);
        QFETCH(QString, location);
        QFETCH(bool, primaryChosen);
        const QByteArray target = location.isEmpty() ? QByteArray() : primary->url(location).toEncoded();
        primary->route(feedPath, {status, "", target, LoopbackHttpServer::Behaviour::Answer});
        primary->route(QStringLiteral("/live"), {200, "", {}, LoopbackHttpServer::Behaviour::Answer});
        fallback->route(feedPath, {200, "", {}, LoopbackHttpServer::Behaviour::Answer});
        const QUrl chosen = primaryChosen ? primary->url(feedPath) : fallback->url(feedPath);
        QCOMPARE(select(), chosen);
        QCOMPARE(selector->feedURLString(), chosen.toString());
        QCOMPARE(fallback->requests().isEmpty(), primaryChosen);
    }

    void neitherAnsweringKeepsPrimary_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::newRow("both 500") << int(LoopbackHttpServer::Behaviour::Answer);
        QTest::newRow("both time out") << int(LoopbackHttpServer::Behaviour::Hang);
    }
    void neitherAnsweringKeepsPrimary()
    {
        QFETCH(int, behaviour);
        // Move to the fallback first, so landing on the primary is really a decision.
        primary->route(feedPath, {503, "", {}, LoopbackHttpServer::Behaviour::Answer});
        fallback->route(feedPath, {200, "", {}, LoopbackHttpServer::Behaviour::Answer});
        QCOMPARE(select(), fallback->url(feedPath));

        const LoopbackHttpServer::Route route{500, "", {}, LoopbackHttpServer::Behaviour(behaviour)};
        primary->route(feedPath, route);
        fallback->route(feedPath, route);
        QCOMPARE(select(), primary->url(feedPath));
        QCOMPARE(heads(*primary), 2);
        QCOMPARE(heads(*fallback), 2);
    }

    void returnsToPrimaryAsSoonAsItAnswers()
    {
        primary->route(feedPath, {503, "", {}, LoopbackHttpServer::Behaviour::Answer});
        fallback->route(feedPath, {200, "", {}, LoopbackHttpServer::Behaviour::Answer});
        QCOMPARE(select(), fallback->url(feedPath));
        primary->route(feedPath, {200, "", {}, LoopbackHttpServer::Behaviour::Answer});
        QCOMPARE(select(), primary->url(feedPath));
        QCOMPARE(heads(*fallback), 1);
    }

    void abortStartsOneSelectionUnlessNoUpdate()
    {
        primary->route(feedPath, {200, "", {}, LoopbackHttpServer::Behaviour::Answer});

        selector->didAbortWithError({UpdateError::NoUpdateFound, {}});
        select(); // any selection the abort had started would have been posted before this one
        QCOMPARE(heads(*primary), 1);

        selector->didAbortWithError({UpdateError::Appcast, {}});
        QTRY_COMPARE(heads(*primary), 2);
        selector->didAbortWithError({UpdateError::Signature, {}});
        QTRY_COMPARE(heads(*primary), 3);
        select();
        QCOMPARE(heads(*primary), 4);
    }

    void plainHttpIsRefusedOutsideTests()
    {
        makeSelector(false);
        primary->route(feedPath, {200, "", {}, LoopbackHttpServer::Behaviour::Answer});
        fallback->route(feedPath, {200, "", {}, LoopbackHttpServer::Behaviour::Answer});
        QCOMPARE(select(), primary->url(feedPath));
        QVERIFY(primary->requests().isEmpty());
        QVERIFY(fallback->requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(UpdateFeedSelectorTest)
#include "tst_UpdateFeedSelector.moc"
