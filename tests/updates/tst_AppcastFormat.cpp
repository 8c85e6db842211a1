// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateTestDoubles.h"
#include "updates/AppcastParser.h"
#include "updates/SparkleVersion.h"

#include <QRandomGenerator>
#include <QtTest>

class AppcastFormatTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void versionOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order"); // the sign of compare(a, b)
        const auto row = [](const char *a, const char *b, int order) {
            QTest::addRow("%s %s %s", a, order < 0 ? "<" : "==", b)
                << QString::fromUtf8(a) << QString::fromUtf8(b) << order;
        };
        for (const auto &[a, b] : {std::pair{"1.0b9", "1.0b10"},
                                   {"1.0rc", "1.0"},
                                   {"1.0b", "1.0"},
                                   {"1.0a1", "1.0b1"},
                                   {"1.0 (1234)", "1.0 (1235)"},
                                   {"1.0", "1.0.1"},
                                   {"1.0.1", "1.1"},
                                   {"1.9.9", "2.0"},
                                   {"1.0.9", "1.0.10"},
                                   {"2", "10"},
                                   {"1.0b5 (1234)", "1.0b5 (1235)"},
                                   {"1.0", "1.0 (1234)"},
                                   {"", "1"},
                                   {"99999999999999999999", "100000000000000000000"}}) // beyond 64 bits
            row(a, b, -1);
        for (const auto &[a, b] : {std::pair{"1.0", "1.0.0"},
                                   {"1.0pre1", "1.0.0pre1"},
                                   {"1.01", "1.1"},
                                   {"1.0-beta", "1.0"},
                                   {"1.2.3 (45)", "1.2.3 (45)"}})
            row(a, b, 0);
    }
    void versionOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(qBound(-1, SparkleVersion::compare(a, b), 1), order);
        QCOMPARE(qBound(-1, SparkleVersion::compare(b, a), 1), -order);
    }

    void parsesSparkleFields()
    {
        QFile file(QStringLiteral(CORVANE_TESTS_DIR "/updates/data/full-appcast.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const AppcastParser::Result result = AppcastParser::parse(file.readAll());
        QVERIFY2(result.ok, qPrintable(result.error));
        // Other systems, no version, no enclosure and relative downloads are left out.
        QCOMPARE(result.items.size(), 2);
        const AppcastItem &first = result.items[0];
        QCOMPARE(first.version, QStringLiteral("12"));
        QCOMPARE(first.displayVersion(), QStringLiteral("1.2"));
        QCOMPARE(first.length, 1234);
        QCOMPARE(first.edSignature, QStringLiteral("c2ln"));
        QCOMPARE(first.releaseNotesLink, QUrl(QStringLiteral("https://corvane.app/notes/1.2.html")));
        QCOMPARE(first.link, QUrl(QStringLiteral("https://corvane.app/download")));
        QVERIFY(first.criticalUpdate);
        // The enclosure's version wins over the element.
        QCOMPARE(result.items[1].version, QStringLiteral("13"));
        QVERIFY(!result.items[1].criticalUpdate);
    }

    void picksTheBestItem_data()
    {
        QTest::addColumn<QByteArray>("appcast");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("skipped");
        QTest::addColumn<QString>("best"); // empty: nothing to offer
        const QByteArray mixed = makeAppcast({{"1.0b9", ""}, {"1.0", ""}, {"1.0b10", ""}, {"2.0", "macos"}});
        QByteArray critical = makeAppcast({{"5", ""}});
        critical.replace("<title>Corvane 5</title>", "<title>Corvane 5</title><sparkle:criticalUpdate/>");
        QTest::newRow("highest, not first; other systems ignored") << mixed << "0.9"
                                                                   << ""
                                                                   << "1.0";
        QTest::newRow("up to date") << mixed << "1.0"
                                    << ""
                                    << "";
        QTest::newRow("skipped") << mixed << "0.9"
                                 << "1.0"
                                 << "";
        QTest::newRow("an older skip does not hide a newer one") << mixed << "0.9"
                                                                 << "1.0b9"
                                                                 << "1.0";
        QTest::newRow("critical ignores the skip") << critical << "4"
                                                   << "5"
                                                   << "5";
    }
    void picksTheBestItem()
    {
        QFETCH(QByteArray, appcast);
        QFETCH(QString, host);
        QFETCH(QString, skipped);
        QFETCH(QString, best);
        const auto parsed = AppcastParser::parse(appcast);
        QVERIFY(parsed.ok);
        const AppcastItem *chosen = AppcastParser::best(parsed.items, host, skipped);
        QCOMPARE(chosen ? chosen->version : QString(), best);
    }

    void rejectsBrokenDocuments_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not xml") << QByteArray("HTTP error page");
        QTest::newRow("html") << QByteArray("<html><body>502</body></html>");
        QTest::newRow("truncated") << makeAppcast({{"2.0", ""}}).left(300);
        QTest::newRow("mismatched tags") << QByteArray("<rss><channel><item></channel></rss>");
        QTest::newRow("entity bomb") << QByteArray(
            "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
            "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
            "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
            "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>"
            "<rss><channel><item><title>&f;&f;&f;&f;&f;&f;</title></item></channel></rss>");
    }
    void rejectsBrokenDocuments()
    {
        QFETCH(QByteArray, xml);
        const auto result = AppcastParser::parse(xml);
        QVERIFY(!result.ok);
        QVERIFY(result.items.isEmpty());
        QVERIFY(!result.error.isEmpty());
    }

    // Random damage to a valid appcast must never crash, hang or produce an item that breaks
    // the rules the updater relies on. Fixed seed, so a failure is reproducible.
    void fuzzMutations()
    {
        const QByteArray seed = makeAppcast({{"1.0", ""}, {"2.0b1", "linux"}, {"3.0", "macos"}},
                                            QStringLiteral("https://dl.corvane.app/C.AppImage"), 42, "c2ln");
        QRandomGenerator random(20240501);
        const QByteArray alphabet = "<>/=\"'&;:!?[]- \n\t0123456789abcsparkle:versionenclosure\xff\x00";
        for (int round = 0; round < 4000; ++round) {
            QByteArray doc = seed;
            for (int e = int(random.bounded(1, 9)); e > 0 && !doc.isEmpty(); --e) {
                const int at = int(random.bounded(doc.size()));
                switch (random.bounded(4)) {
                case 0: doc[at] = alphabet[int(random.bounded(alphabet.size()))]; break;
                case 1: doc.remove(at, int(random.bounded(1, 40))); break;
                case 2: doc.insert(at, doc.mid(int(random.bounded(doc.size())), int(random.bounded(1, 60)))); break;
                default: doc.truncate(at); break;
                }
            }
            const auto result = AppcastParser::parse(doc);
            QVERIFY(result.ok || result.items.isEmpty());
            for (const AppcastItem &item : result.items) {
                QVERIFY(!item.version.isEmpty());
                QVERIFY(item.os.isEmpty() || item.os.compare(u"linux", Qt::CaseInsensitive) == 0);
                QVERIFY(item.downloadUrl.isValid() && !item.downloadUrl.isRelative());
            }
            AppcastParser::best(result.items, QStringLiteral("1"));
        }
    }
};

QTEST_GUILESS_MAIN(AppcastFormatTest)
#include "tst_AppcastFormat.moc"
