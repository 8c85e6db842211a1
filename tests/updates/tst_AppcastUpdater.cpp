// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "UpdateTestDoubles.h"
#include "updates/AppcastUpdater.h"
#include "updates/GentleUpdateReminder.h"
#include "updates/UpdateCheckProcess.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString archivePath = QStringLiteral("/Corvane-2.AppImage");
using Behaviour = LoopbackHttpServer::Behaviour;

// The journal line of a cycle that ends in an error with this code; an error cycle writes
// exactly one.
QRegularExpression failure(int code = 0)
{
    return QRegularExpression(code ? QStringLiteral("^Update failed \\(%1\\)").arg(code)
                                   : QStringLiteral("^Update failed "));
}

} // namespace

// The updater as the tray runs it: every appcast comes from the program's own check process,
// reading a loopback feed.

class AppcastUpdaterTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> server;
    GentleUpdateReminder reminder;
    MemorySettingsStore settings;
    std::unique_ptr<ManualClock> time;
    std::shared_ptr<RecordingUserDriver> driver;
    TestSigningKey key;
    std::unique_ptr<AppcastUpdater> updater;

    // A started updater reading feed (default: the loopback server's); it installs over
    // appImagePath when that is given.
    void make(const QString &appImagePath = {}, QUrl feed = {})
    {
        UpdateCheckProcess::Request request;
        request.primary = feed.isEmpty() ? server->url(feedPath) : feed;
        request.fallback = request.primary;
        request.probeTimeout = std::chrono::milliseconds(300);
        request.appcastTimeout = std::chrono::milliseconds(300);
        request.allowInsecureLoopback = true;
        AppcastUpdaterOptions o;
        o.enabled = true;
        o.hostVersion = QStringLiteral("1");
        o.publicKeyBase64 = key.publicKeyBase64();
        o.allowInsecureLoopback = true;
        o.startCheckProcess = [request](QObject *owner) {
            return new UpdateCheckProcess(QStringLiteral(CORVANE_BINARY), request, owner);
        };
        o.userDriver = driver;
        o.inImmediateFocus = [] { return true; }; // a scheduled update shows at once
        o.appImagePath = appImagePath;
        o.openUrl = [this](const QUrl &url) { driver->shown << QStringLiteral("open ") + url.toString(); };
        o.relaunch = [this](const QString &path) { driver->shown << QStringLiteral("relaunch ") + path; };
        updater = std::make_unique<AppcastUpdater>(loopbackNetwork(this), &reminder, settings, *time, std::move(o));
        updater->startUpdater();
    }

    void runSession(const std::function<void()> &start)
    {
        QSignalSpy finished(updater.get(), &AppcastUpdater::sessionFinished);
        start();
        QVERIFY(finished.wait(10000));
    }

private Q_SLOTS:
    void init()
    {
        server = std::make_unique<LoopbackHttpServer>();
        settings.values.clear();
        time = std::make_unique<ManualClock>();
        driver = std::make_shared<RecordingUserDriver>();
        make();
    }
    void cleanup()
    {
        updater.reset();
        server.reset();
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
        make();
        QCOMPARE(time->untilNext(), std::chrono::minutes(waitMinutes));
        // After the check, a full day from it.
        server->route(feedPath, 200, makeAppcast({"1"}));
        runSession([&] { time->runNext(); });
        QCOMPARE(settings.integer(lastCheckKey), time->wallNow().toSecsSinceEpoch());
        QCOMPARE(time->untilNext(), std::chrono::hours(24));
    }

    void brokenFeedsAbortWithTheirCode_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("code"); // NoUpdateFound: no error, "up to date"
        QTest::addColumn<QString>("feed"); // empty: the loopback server
        const auto row = [](const char *name, int status, const QByteArray &body, int code,
                            Behaviour behaviour = Behaviour::Answer, const QString &feed = {}) {
            QTest::newRow(name) << status << body << int(behaviour) << code << feed;
        };
        row("insecure feed address, never contacted", 200, makeAppcast({"2"}), UpdateError::Appcast, Behaviour::Answer,
            QStringLiteral("http://updates.example.invalid/corvane/appcast.xml"));
        row("malformed xml", 200, "<rss><channel><item>", UpdateError::AppcastParse);
        row("only older or other systems", 200, makeAppcast({"1", "0.9", "5 windows"}), UpdateError::NoUpdateFound);
        row("http 404", 404, "gone", UpdateError::Appcast);
        row("huge", 200, QByteArray(2 * 1024 * 1024, ' '), UpdateError::Appcast);
        row("endless", 200, {}, UpdateError::Appcast, Behaviour::Endless);
        row("silent server", 200, {}, UpdateError::Appcast, Behaviour::Hang);
    }
    void brokenFeedsAbortWithTheirCode()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, behaviour);
        QFETCH(int, code);
        QFETCH(QString, feed);
        server->route(feedPath, {status, body, {}, Behaviour(behaviour)});
        if (!feed.isEmpty())
            make({}, QUrl(feed));
        if (code == UpdateError::NoUpdateFound)
            QTest::failOnWarning(failure());
        else
            QTest::ignoreMessage(QtWarningMsg, failure(code));
        runSession([&] { updater->checkForUpdates(); });
        const QString shown = code == UpdateError::NoUpdateFound ? QStringLiteral("upToDate") : QStringLiteral("error");
        QCOMPARE(driver->shown, QStringList({QStringLiteral("checking"), shown}));
        QVERIFY(updater->canCheckForUpdates());
        if (!feed.isEmpty())
            QVERIFY(server->requests().isEmpty());
    }

    void skippedVersionStaysQuietUntilAskedOrSuperseded()
    {
        driver->answer = UpdateUserDriver::Choice::Skip;
        server->route(feedPath, 200, makeAppcast({"2"}));
        runSession([&] { updater->checkForUpdates(); });
        QCOMPARE(settings.string(QString::fromLatin1(AppcastUpdater::skippedVersionKey)), QStringLiteral("2"));

        const int shownBefore = int(driver->shown.size());
        runSession([&] { time->runNext(); });
        QCOMPARE(driver->shown.size(), shownBefore);

        server->route(feedPath, 200, makeAppcast({"2", "3"}));
        driver->answer = UpdateUserDriver::Choice::RemindLater;
        runSession([&] { time->runNext(); });
        QCOMPARE(driver->shown.value(driver->shown.size() - 1), QStringLiteral("found 3"));
    }

    void userCheckDuringACheckIsQueued()
    {
        // The first (scheduled) check waits on a silent server until it times out.
        server->route(feedPath, {200, {}, {}, Behaviour::Hang});
        QTest::ignoreMessage(QtWarningMsg, failure(UpdateError::Appcast));
        time->runNext();
        QVERIFY(!updater->canCheckForUpdates());
        updater->checkForUpdates();
        updater->checkForUpdates();
        QTRY_COMPARE(server->requests().count("GET " + feedPath), 1);
        server->route(feedPath, 200, makeAppcast({"1"}));
        QTRY_COMPARE_WITH_TIMEOUT(driver->shown, QStringList({"checking", "upToDate"}), 5000);
        QCOMPARE(server->requests().count("GET " + feedPath), 2);
    }

    void installsOnlyWhatIsSignedAndAnnounced_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("code"); // 0: installed
        QTest::newRow("good") << "" << 0;
        QTest::newRow("tampered byte") << "tampered" << int(UpdateError::Signature);
        QTest::newRow("unsigned") << "unsigned" << int(UpdateError::Signature);
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
        make(image);
        driver->answer = UpdateUserDriver::Choice::Install;
        driver->relaunchAnswer = true;
        const QByteArray archive(300000, 'n');
        QByteArray served = archive;
        if (fault == u"tampered")
            served[100] = 'X';
        const qint64 announced = archive.size() + (fault == u"longer" ? -1 : fault == u"shorter" ? 1 : 0);
        const QByteArray signature = fault == u"unsigned" ? QByteArray() : key.signBase64(archive);
        server->route(archivePath, fault == u"missing" ? 404 : 200, served);
        server->route(feedPath, 200, makeAppcast({"2"}, server->url(archivePath).toString(), announced, signature));
        if (code == 0)
            QTest::failOnWarning(failure());
        else
            QTest::ignoreMessage(QtWarningMsg, failure(code));
        runSession([&] { updater->checkForUpdates(); });

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

    void withoutAppImageInstallOpensTheDownloadPage()
    {
        driver->answer = UpdateUserDriver::Choice::Install;
        QByteArray xml = makeAppcast({"2"});
        xml.replace("<title>", "<link>https://corvane.app/download</link><title>");
        server->route(feedPath, 200, xml);
        runSession([&] { updater->checkForUpdates(); });
        QCOMPARE(driver->shown, QStringList({"checking", "found 2", "open https://corvane.app/download"}));
        QCOMPARE(server->requests().count("GET " + archivePath), 0);
    }
};

QTEST_MAIN(AppcastUpdaterTest)
#include "tst_AppcastUpdater.moc"
