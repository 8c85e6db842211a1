// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fakes.h"
#include "ManualClock.h"
#include "TestSupport.h"
#include "UpdateTestDoubles.h"
#include "updates/UpdateCheckProcess.h"
#include "updates/UpdateUserDriver.h"
#include "updates/UpdaterService.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString feedPath = QStringLiteral("/corvane/appcast.xml");
const QString archivePath = QStringLiteral("/Corvane-2.AppImage");
// A tiny HTTP/1.0 server on 127.0.0.1: fixed answers per path, no answer at all, or one
// that never ends.
class LoopbackHttpServer : public QObject {
public:
    LoopbackHttpServer()
    {
        m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    static constexpr int endless = -1;
    // status 0: never answers; endless: a 200 without length that never ends.
    void route(const QString &path, int status, const QByteArray &body = {}) { m_routes.insert(path, {status, body}); }
    // "HEAD /path", in arrival order.
    QStringList requests() const { return m_requests; }

private:
    void serve(QTcpSocket *socket)
    {
        if (socket->property("served").toBool())
            return;
        QByteArray head = socket->property("head").toByteArray() + socket->readAll();
        socket->setProperty("head", head);
        if (!head.contains("\r\n\r\n"))
            return;
        socket->setProperty("served", true);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QString method = QString::fromLatin1(requestLine.value(0));
        const QString path = QString::fromLatin1(requestLine.value(1));
        m_requests << method + u' ' + path;

        const Route route = m_routes.value(path, Route{404, "not found"});
        if (route.status == 0)
            return;
        if (route.status == endless) {
            // Never more than a little waiting to be written.
            const auto more = [socket] {
                if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 256 * 1024)
                    socket->write(QByteArray(64 * 1024, ' '));
            };
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: application/xml\r\n\r\n<rss>");
            connect(socket, &QTcpSocket::bytesWritten, socket, more);
            more();
            return;
        }
        QByteArray answer = "HTTP/1.0 " + QByteArray::number(route.status) + " Status\r\n";
        answer += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\nConnection: close\r\n\r\n";
        if (method != u"HEAD")
            answer += route.body;
        socket->write(answer);
        socket->disconnectFromHost();
    }

    struct Route {
        int status;
        QByteArray body;
    };
    QTcpServer m_server;
    QHash<QString, Route> m_routes;
    QStringList m_requests;
};

// Records what the updater would show, and answers with a preset choice.
class RecordingUserDriver : public UpdateUserDriver {
public:
    QStringList shown;
    std::optional<Choice> answer; // reply at once to "update found", when set
    std::function<void(Choice)> pendingReply;
    bool relaunchAnswer = false;

    void showCheckingForUpdates(std::function<void()>) override { shown << QStringLiteral("checking"); }
    void dismissCheckingForUpdates() override {}
    void showUpToDate(const QString &) override { shown << QStringLiteral("upToDate"); }
    void showUpdaterError(const QString &) override { shown << QStringLiteral("error"); }
    void showUpdateFound(const AppcastItem &update, const QString &, std::function<void(Choice)> reply) override
    {
        shown << QStringLiteral("found ") + update.version;
        if (answer)
            reply(*answer);
        else
            pendingReply = std::move(reply);
    }
    void showDownloading(const AppcastItem &) override { shown << QStringLiteral("downloading"); }
    void showReadyToRelaunch(const AppcastItem &, std::function<void(bool)> reply) override
    {
        shown << QStringLiteral("relaunch?");
        reply(relaunchAnswer);
    }
};

// The journal line of a cycle that ends in an error with this code; an error cycle writes
// exactly one.
QRegularExpression failure(int code = 0)
{
    return QRegularExpression(code ? QStringLiteral("^Update failed \\(%1\\)").arg(code)
                                   : QStringLiteral("^Update failed "));
}

} // namespace

// The updater as the program builds it: every appcast and every download comes from the
// shipped update helper (`corvane-update-check`), reading loopback feeds.
class UpdaterServiceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> primary;
    std::unique_ptr<LoopbackHttpServer> fallback;
    MemorySettingsStore settings;
    std::unique_ptr<ManualClock> time;
    std::shared_ptr<RecordingUserDriver> driver;
    TestSigningKey key;
    bool focused = true; // a scheduled update shows at once
    std::unique_ptr<UpdaterService> service;

    // Both feeds on the primary's server; the tests of the feed choice set a fallback.
    UpdaterService::Options options(const QString &appImagePath = {})
    {
        UpdaterService::Options o;
        o.helperProgram = QStringLiteral(CORVANE_UPDATE_HELPER);
        o.updater.check.primary = primary->url(feedPath);
        o.updater.check.fallback = o.updater.check.primary;
        o.updater.check.probeTimeout = std::chrono::milliseconds(300);
        o.updater.check.appcastTimeout = std::chrono::milliseconds(300);
        o.updater.check.allowInsecureLoopback = true;
        o.updater.enabled = true;
        o.updater.hostVersion = QStringLiteral("1");
        o.updater.publicKeyBase64 = key.publicKeyBase64();
        o.updater.allowInsecureLoopback = true;
        o.updater.userDriver = driver;
        o.updater.inImmediateFocus = [this] { return focused; };
        o.updater.appImagePath = appImagePath;
        o.updater.openUrl = [this](const QUrl &url) { driver->shown << QStringLiteral("open ") + url.toString(); };
        o.updater.relaunch = [this](const QString &path) { driver->shown << QStringLiteral("relaunch ") + path; };
        return o;
    }

    void make(const UpdaterService::Options &o)
    {
        service = std::make_unique<UpdaterService>(settings, *time, o);
        QTRY_VERIFY(service->updater().started() || !o.updater.enabled);
    }

    void runSession(const std::function<void()> &start)
    {
        QSignalSpy finished(&service->updater(), &AppcastUpdater::sessionFinished);
        start();
        QVERIFY(finished.wait(10000));
    }

    static UpdateCheckProcess::Result check(const QString &program, const UpdateCheckProcess::Request &request)
    {
        UpdateCheckProcess process(program, request);
        QSignalSpy finished(&process, &UpdateCheckProcess::finished);
        [&] { QVERIFY(finished.wait(10000)); }();
        [&] { QCOMPARE(finished.size(), 1); }();
        return process.result();
    }

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

private Q_SLOTS:
    void init()
    {
        primary = std::make_unique<LoopbackHttpServer>();
        fallback = std::make_unique<LoopbackHttpServer>();
        settings.values.clear();
        time = std::make_unique<ManualClock>();
        driver = std::make_shared<RecordingUserDriver>();
        focused = true;
    }
    void cleanup()
    {
        service.reset();
        primary.reset();
        fallback.reset();
    }

    void schedulesFromPersistedLastCheck_data()
    {
        QTest::addColumn<QVariant>("lastCheck"); // seconds before now
        QTest::addColumn<int>("waitMinutes");
        QTest::newRow("an hour ago") << QVariant(3600) << 23 * 60;
        // A last check in the future (clock set back) waits one interval, not forever.
        QTest::newRow("in the future") << QVariant(-999999) << 24 * 60;
        // A check that is due waits until the launch has settled.
        QTest::newRow("overdue") << QVariant(86400 * 3) << 2;
        QTest::newRow("never") << QVariant() << 2;
        QTest::newRow("garbage") << QVariant(QStringLiteral("yesterday")) << 2;
    }
    void schedulesFromPersistedLastCheck()
    {
        QFETCH(QVariant, lastCheck);
        QFETCH(int, waitMinutes);
        const QString lastCheckKey = QString::fromLatin1(AppcastUpdater::lastCheckKey);
        if (lastCheck.typeId() == QMetaType::Int)
            settings.setInteger(lastCheckKey, time->wallNow().toSecsSinceEpoch() - lastCheck.toInt());
        else if (lastCheck.isValid())
            settings.values[lastCheckKey] = lastCheck;
        make(options());
        QCOMPARE(time->untilNext(), std::chrono::minutes(waitMinutes));
        // After the check, a full day from it.
        primary->route(feedPath, 200, makeAppcast({"1"}));
        runSession([&] { time->runNext(); });
        QCOMPARE(settings.integer(lastCheckKey), time->wallNow().toSecsSinceEpoch());
        QCOMPARE(time->untilNext(), std::chrono::hours(24));
    }

    void brokenFeedsAbortWithTheirCode_data()
    {
        QTest::addColumn<int>("status"); // 0: never answers
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("code"); // NoUpdateFound: no error, "up to date"
        QTest::addColumn<QString>("feed"); // empty: the loopback server
        // Failed HTTP answers are read in checkReadsTheFeedThatAnswers.
        const auto row = [](const char *name, int status, const QByteArray &body, int code, const QString &feed = {}) {
            QTest::newRow(name) << status << body << code << feed;
        };
        row("insecure feed address, never contacted", 200, makeAppcast({"2"}), UpdateError::Appcast,
            QStringLiteral("http://updates.example.invalid/corvane/appcast.xml"));
        row("malformed xml", 200, "<rss><channel><item>", UpdateError::AppcastParse);
        row("entity bomb", 200,
            "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
            "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
            "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
            "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>"
            "<rss><channel><item><title>&f;&f;&f;&f;&f;&f;</title></item></channel></rss>",
            UpdateError::AppcastParse);
        row("only older or other systems", 200, makeAppcast({"1", "0.9", "5 windows"}), UpdateError::NoUpdateFound);
        row("huge", 200, QByteArray(2 * 1024 * 1024, ' '), UpdateError::Appcast);
        row("endless", LoopbackHttpServer::endless, {}, UpdateError::Appcast);
        row("silent server", 0, {}, UpdateError::Appcast);
    }
    void brokenFeedsAbortWithTheirCode()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, code);
        QFETCH(QString, feed);
        primary->route(feedPath, status, body);
        auto o = options();
        if (!feed.isEmpty())
            o.updater.check.primary = o.updater.check.fallback = QUrl(feed);
        make(o);
        if (code == UpdateError::NoUpdateFound)
            QTest::failOnWarning(failure());
        else
            QTest::ignoreMessage(QtWarningMsg, failure(code));
        runSession([&] { service->checkForUpdates(); });
        const QString shown = code == UpdateError::NoUpdateFound ? QStringLiteral("upToDate") : QStringLiteral("error");
        QCOMPARE(driver->shown, QStringList({QStringLiteral("checking"), shown}));
        QVERIFY(service->updater().canCheckForUpdates());
        if (!feed.isEmpty())
            QVERIFY(primary->requests().isEmpty());
    }

    void skippedVersionStaysQuietUntilAskedOrSuperseded()
    {
        make(options());
        driver->answer = UpdateUserDriver::Choice::Skip;
        primary->route(feedPath, 200, makeAppcast({"2"}));
        runSession([&] { service->checkForUpdates(); });
        QCOMPARE(settings.string(QString::fromLatin1(AppcastUpdater::skippedVersionKey)), QStringLiteral("2"));

        const int shownBefore = int(driver->shown.size());
        runSession([&] { time->runNext(); });
        QCOMPARE(driver->shown.size(), shownBefore);

        primary->route(feedPath, 200, makeAppcast({"2", "3"}));
        driver->answer = UpdateUserDriver::Choice::RemindLater;
        runSession([&] { time->runNext(); });
        QCOMPARE(driver->shown.value(driver->shown.size() - 1), QStringLiteral("found 3"));
    }

    // Bad signatures of every kind are refused in the release checks' table; here the one
    // that reaches the install flow, and the lengths only the download can see.
    void installsOnlyWhatIsSignedAndAnnounced_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("code"); // 0: installed
        QTest::newRow("good") << "" << 0;
        QTest::newRow("tampered byte") << "tampered" << int(UpdateError::Signature);
        QTest::newRow("longer than announced") << "longer" << int(UpdateError::Validation);
        QTest::newRow("shorter than announced") << "shorter" << int(UpdateError::Validation);
        QTest::newRow("missing archive") << "missing" << int(UpdateError::Download);
    }
    void installsOnlyWhatIsSignedAndAnnounced()
    {
        QFETCH(QString, fault);
        QFETCH(int, code);
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("Corvane.AppImage"));
        QVERIFY(writeFile(image, "old"));
        make(options(image));
        driver->answer = UpdateUserDriver::Choice::Install;
        driver->relaunchAnswer = true;
        const QByteArray archive(300000, 'n');
        QByteArray served = archive;
        if (fault == u"tampered")
            served[100] = 'X';
        const qint64 announced = archive.size() + (fault == u"longer" ? -1 : fault == u"shorter" ? 1 : 0);
        primary->route(archivePath, fault == u"missing" ? 404 : 200, served);
        primary->route(feedPath, 200,
                       makeAppcast({"2"}, primary->url(archivePath).toString(), announced, key.signBase64(archive)));
        if (code == 0)
            QTest::failOnWarning(failure());
        else
            QTest::ignoreMessage(QtWarningMsg, failure(code));
        runSession([&] { service->checkForUpdates(); });

        if (code == 0) {
            QCOMPARE(driver->shown,
                     QStringList({"checking", "found 2", "downloading", "relaunch?", "relaunch " + image}));
            QCOMPARE(readFile(image), archive);
            return;
        }
        QCOMPARE(driver->shown.value(driver->shown.size() - 1), QStringLiteral("error"));
        QCOMPARE(readFile(image), QByteArray("old"));
        QVERIFY(!QFile::exists(image + QStringLiteral(".bak")));
    }

    // The process chooses the feed: the primary whenever it answers.
    void checkReadsTheFeedThatAnswers_data()
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
    void checkReadsTheFeedThatAnswers()
    {
        QFETCH(int, primaryStatus);
        QFETCH(int, fallbackStatus);
        QFETCH(bool, fromFallback);
        QFETCH(bool, ok);
        // Larger than a pipe's buffer, with bytes that are not text, so the answer arrives in
        // pieces and must come back whole.
        QByteArray appcast = makeAppcast({"2", "3"});
        appcast += QByteArray(200 * 1024, '\0') + QByteArray("\xff\xfe\n", 3);
        primary->route(feedPath, primaryStatus, appcast);
        fallback->route(feedPath, fallbackStatus, appcast);

        const UpdateCheckProcess::Result result = check(QStringLiteral(CORVANE_UPDATE_HELPER), request());
        QCOMPARE(result.ok, ok);
        QCOMPARE(result.feed, fromFallback ? fallback->url(feedPath) : primary->url(feedPath));
        if (ok)
            QCOMPARE(result.appcast, appcast);
        else
            QVERIFY(!result.errorText.isEmpty());
        // The primary is probed first and the fallback only when it does not answer.
        QCOMPARE(fallback->requests().isEmpty(), primaryStatus == 200);

        const UpdateCheckProcess::Result none = check(QStringLiteral("/nonexistent/corvane"), request());
        QVERIFY(!none.ok && !none.errorText.isEmpty());
    }

    // In the background an update waits for the user, without a window.
    void aScheduledUpdateWaitsForTheUser()
    {
        focused = false;
        primary->route(feedPath, 200, makeAppcast({"2"}));
        make(options());
        time->runNext();
        QTRY_VERIFY_WITH_TIMEOUT(service->updateAvailable(), 10000);
        QVERIFY(driver->shown.isEmpty());
        // Asked for: the waiting update is shown.
        service->checkForUpdates();
        QTRY_COMPARE(driver->shown, QStringList({"found 2"}));
        driver->pendingReply(UpdateUserDriver::Choice::RemindLater);
        QVERIFY(time->untilNext().has_value());
    }
};

QTEST_MAIN(UpdaterServiceTest)
#include "tst_UpdaterService.moc"
