// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "UpdateTestDoubles.h"
#include "updates/UpdateFeedSelector.h"

#include <QtTest>

namespace {
using Behaviour = LoopbackHttpServer::Behaviour;
} // namespace

class UpdateFeedSelectorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> primary;
    std::unique_ptr<LoopbackHttpServer> fallback;
    std::unique_ptr<UpdateFeedSelector> selector;

    void makeSelector(bool allowLoopback)
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

    static int heads(const LoopbackHttpServer &server) { return int(server.requests().count("HEAD " + feedPath)); }

private Q_SLOTS:
    void init()
    {
        primary = std::make_unique<LoopbackHttpServer>();
        fallback = std::make_unique<LoopbackHttpServer>();
        makeSelector(true);
    }
    void cleanup()
    {
        selector.reset();
        primary.reset();
        fallback.reset();
    }

    void choosesTheFeedThatAnswers_data()
    {
        QTest::addColumn<int>("primaryStatus");
        QTest::addColumn<int>("fallbackStatus");
        QTest::addColumn<int>("behaviour"); // of both servers
        QTest::addColumn<bool>("fromFallback"); // a failed earlier selection left the fallback in use
        QTest::addColumn<bool>("secure"); // plain http refused, as outside tests
        QTest::addColumn<bool>("choosesPrimary");
        QTest::addColumn<int>("fallbackProbes"); // in this selection
        const int answer = int(Behaviour::Answer);
        QTest::newRow("primary answers") << 200 << 200 << answer << false << false << true << 0;
        QTest::newRow("primary 404") << 404 << 200 << answer << false << false << false << 1;
        QTest::newRow("primary 503") << 503 << 200 << answer << false << false << false << 1;
        QTest::newRow("primary refuses HEAD") << 405 << 200 << answer << false << false << false << 1;
        QTest::newRow("back to primary as soon as it answers") << 200 << 200 << answer << true << false << true << 0;
        QTest::newRow("neither answers: primary") << 500 << 500 << answer << true << false << true << 1;
        QTest::newRow("both time out: primary") << 200 << 200 << int(Behaviour::Hang) << true << false << true << 1;
        QTest::newRow("plain http is never contacted") << 200 << 200 << answer << false << true << true << 0;
    }

    // Redirects are followed as for the feed itself; the fallback always answers.
    void choiceFollowsThePrimarysFinalAnswer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("primaryChosen");
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

    void choosesTheFeedThatAnswers()
    {
        QFETCH(int, primaryStatus);
        QFETCH(int, fallbackStatus);
        QFETCH(int, behaviour);
        QFETCH(bool, fromFallback);
        QFETCH(bool, secure);
        QFETCH(bool, choosesPrimary);
        QFETCH(int, fallbackProbes);
        if (fromFallback) {
            primary->route(feedPath, {503, "", {}, Behaviour::Answer});
            fallback->route(feedPath, {200, "", {}, Behaviour::Answer});
            QCOMPARE(select(), fallback->url(feedPath));
        }
        if (secure)
            makeSelector(false);
        const int primaryBefore = heads(*primary);
        const int fallbackBefore = heads(*fallback);
        primary->route(feedPath,
                       {primaryStatus, "", fallback->url(QStringLiteral("/moved")).toEncoded(), Behaviour(behaviour)});
        fallback->route(feedPath, {fallbackStatus, "", {}, Behaviour(behaviour)});

        const QUrl expected = (choosesPrimary ? primary : fallback)->url(feedPath);
        QCOMPARE(select(), expected);
        QCOMPARE(selector->feedURLString(), expected.toString());
        QCOMPARE(heads(*primary) - primaryBefore, secure ? 0 : 1);
        QCOMPARE(heads(*fallback) - fallbackBefore, fallbackProbes);
        QCOMPARE(fallback->requests().size(), heads(*fallback)); // never a GET of the redirect target
    }

    void abortStartsOneSelectionUnlessNoUpdate()
    {
        primary->route(feedPath, {200, "", {}, Behaviour::Answer});

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
};

QTEST_GUILESS_MAIN(UpdateFeedSelectorTest)
#include "tst_UpdateFeedSelector.moc"
