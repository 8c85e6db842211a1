// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "UpdateTestDoubles.h"
#include "updates/UpdateFeedSelector.h"

#include <QtTest>

// The feed choice the check process makes before every check.
class UpdateFeedSelectorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> primary;
    std::unique_ptr<LoopbackHttpServer> fallback;

    UpdateFeedSelector::Options options() const
    {
        UpdateFeedSelector::Options o;
        o.primary = primary->url(feedPath);
        o.fallback = fallback->url(feedPath);
        o.probeTimeout = std::chrono::milliseconds(200);
        o.allowInsecureLoopback = true;
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

private Q_SLOTS:
    void init()
    {
        primary = std::make_unique<LoopbackHttpServer>();
        fallback = std::make_unique<LoopbackHttpServer>();
    }

    // Redirects are followed as for the feed itself, so the primary's final answer counts;
    // plain answers, failures and silence are read end to end in tst_UpdateCheckProcess.
    void choosesTheFeedThatAnswers_data()
    {
        QTest::addColumn<int>("primaryStatus");
        QTest::addColumn<QString>("location"); // on the primary's server
        QTest::addColumn<int>("fallbackStatus");
        QTest::addColumn<bool>("choosesPrimary");
        QTest::addColumn<bool>("fallbackProbed");
        const auto row = [](const char *name, int primaryStatus, const char *location, int fallbackStatus,
                            bool choosesPrimary, bool fallbackProbed) {
            QTest::newRow(name) << primaryStatus << QString::fromLatin1(location) << fallbackStatus << choosesPrimary
                                << fallbackProbed;
        };
        row("301 to a live path", 301, "/live", 200, true, false);
        row("302 to a dead path", 302, "/gone", 200, false, true);
        row("redirect loop", 307, "/corvane/appcast.xml", 200, false, true);
        row("300 with nowhere to go", 300, "", 200, true, false);
    }
    void choosesTheFeedThatAnswers()
    {
        UpdateFeedSelector selector(loopbackNetwork(this), options());
        QFETCH(int, primaryStatus);
        QFETCH(QString, location);
        QFETCH(int, fallbackStatus);
        QFETCH(bool, choosesPrimary);
        QFETCH(bool, fallbackProbed);
        const QByteArray target = location.isEmpty() ? QByteArray() : primary->url(location).toEncoded();
        primary->route(feedPath, {primaryStatus, {}, target, LoopbackHttpServer::Behaviour::Answer});
        primary->route(QStringLiteral("/live"), 200);
        fallback->route(feedPath, fallbackStatus);

        const QUrl expected = (choosesPrimary ? primary : fallback)->url(feedPath);
        QCOMPARE(select(selector), expected);
        QCOMPARE(selector.current(), expected);
        QCOMPARE(heads(*fallback), fallbackProbed ? 1 : 0);
        QCOMPARE(fallback->requests().size(), heads(*fallback)); // a probe never GETs
    }
};

QTEST_MAIN(UpdateFeedSelectorTest)
#include "tst_UpdateFeedSelector.moc"
