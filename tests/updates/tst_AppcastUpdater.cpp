// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"
#include "UpdateTestDoubles.h"
#include "updates/AppcastUpdater.h"
#include "updates/GentleUpdateReminder.h"
#include "updates/UpdaterDelegate.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString feedPath = QStringLiteral("/corvane/appcast.xml");
const QString archivePath = QStringLiteral("/Corvane-2.AppImage");

class RecordingDelegate : public UpdaterDelegate {
public:
    QString feed;
    QList<UpdateError> aborts;
    QString feedURLString() override { return feed; }
    void didAbortWithError(const UpdateError &error) override { aborts << error; }
};

} // namespace

class AppcastUpdaterTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> server;
    RecordingDelegate delegate;
    GentleUpdateReminder reminder;
    QList<bool> reminderCalls;
    MemorySettingsStore settings;
    std::shared_ptr<ManualCheckTimer> timer;
    std::shared_ptr<RecordingUserDriver> driver;
    QDateTime clock;
    bool focused = false;
    QList<QUrl> opened;
    QStringList relaunched;
    std::unique_ptr<TestSigningKey> key;
    std::unique_ptr<AppcastUpdater> updater;
    std::unique_ptr<QTemporaryDir> dir;

    AppcastUpdaterOptions options()
    {
        AppcastUpdaterOptions o;
        o.enabled = true;
        o.hostVersion = QStringLiteral("1");
        o.hostDisplayVersion = QStringLiteral("1.0");
        o.publicKeyBase64 = key->publicKeyBase64();
        o.allowInsecureLoopback = true;
        o.appcastTimeout = std::chrono::milliseconds(300);
        o.downloadTimeout = std::chrono::milliseconds(2000);
        o.now = [this] { return clock; };
        o.timer = timer;
        o.userDriver = driver;
        o.inImmediateFocus = [this] { return focused; };
        o.appImagePath = QString();
        o.openUrl = [this](const QUrl &url) { opened << url; };
        o.relaunch = [this](const QString &path) { relaunched << path; };
        return o;
    }

    void make(AppcastUpdaterOptions o)
    {
        updater = std::make_unique<AppcastUpdater>(loopbackNetwork(this), &delegate, &reminder, settings, std::move(o));
    }

    void serveAppcast(const QByteArray &xml)
    {
        server->route(feedPath, {200, xml, {}, LoopbackHttpServer::Behaviour::Answer});
    }

    // One signed release "2" offered at the loopback server.
    QByteArray serveRelease(const QByteArray &archive, const QByteArray &signature = {}, qint64 length = -2)
    {
        server->route(archivePath, {200, archive, {}, LoopbackHttpServer::Behaviour::Answer});
        const QByteArray sig = signature.isNull() ? key->signBase64(archive) : signature;
        serveAppcast(
            makeAppcast({{"2", ""}}, server->url(archivePath).toString(), length == -2 ? archive.size() : length, sig));
        return sig;
    }

    // An updater that installs over an AppImage holding "old"; returns its path.
    QString makeWithAppImage()
    {
        const QString image = dir->filePath(QStringLiteral("Corvane.AppImage"));
        QFile f(image);
        if (!f.open(QIODevice::WriteOnly) || f.write("old") != 3)
            qFatal("cannot write %s", qPrintable(image));
        auto o = options();
        o.appImagePath = image;
        make(o);
        driver->answer = UpdateUserDriver::Choice::Install;
        return image;
    }

    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void runSession(const std::function<void()> &start)
    {
        QSignalSpy finished(updater.get(), &AppcastUpdater::sessionFinished);
        start();
        QVERIFY(finished.wait(5000));
    }

private Q_SLOTS:
    void init()
    {
        server = std::make_unique<LoopbackHttpServer>();
        delegate = {};
        delegate.feed = server->url(feedPath).toString();
        reminderCalls.clear();
        reminder.onChange = [this](bool v) { reminderCalls << v; };
        settings.values.clear();
        timer = std::make_shared<ManualCheckTimer>();
        driver = std::make_shared<RecordingUserDriver>();
        clock = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
        focused = false;
        opened.clear();
        relaunched.clear();
        key = std::make_unique<TestSigningKey>();
        dir = std::make_unique<QTemporaryDir>();
        make(options());
    }
    void cleanup()
    {
        updater.reset();
        server.reset();
    }

    void schedulesFromPersistedLastCheck_data()
    {
        QTest::addColumn<QVariant>("lastCheck"); // seconds before now
        QTest::addColumn<int>("waitHours");
        QTest::newRow("an hour ago") << QVariant(3600) << 23;
        // A last check in the future (clock set back) waits one interval, not forever.
        QTest::newRow("in the future") << QVariant(-999999) << 24;
        QTest::newRow("overdue") << QVariant(86400 * 3) << 0;
        QTest::newRow("never") << QVariant() << 0;
        QTest::newRow("garbage") << QVariant(QStringLiteral("yesterday")) << 0;
    }
    void schedulesFromPersistedLastCheck()
    {
        QFETCH(QVariant, lastCheck);
        QFETCH(int, waitHours);
        const QString lastCheckKey = QString::fromLatin1(AppcastUpdater::lastCheckKey);
        if (lastCheck.typeId() == QMetaType::Int)
            settings.setInteger(lastCheckKey, clock.toSecsSinceEpoch() - lastCheck.toInt());
        else if (lastCheck.isValid())
            settings.values[lastCheckKey] = lastCheck;
        updater->startUpdater();
        QCOMPARE(timer->pending.value(), std::chrono::hours(waitHours));
        // After the check, a full day from it.
        serveAppcast(makeAppcast({{"1", ""}}));
        runSession([&] { timer->fire(); });
        QCOMPARE(settings.integer(lastCheckKey), clock.toSecsSinceEpoch());
        QCOMPARE(timer->pending.value(), std::chrono::hours(24));
    }

    void brokenFeedsAbortWithTheirCode_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("feed"); // empty: the loopback server
        const int answer = int(LoopbackHttpServer::Behaviour::Answer);
        QTest::newRow("insecure feed address, never contacted")
            << 200 << makeAppcast({{"2", ""}}) << answer << int(UpdateError::Appcast)
            << QStringLiteral("http://updates.example.invalid/corvane/appcast.xml");
        QTest::newRow("malformed xml") << 200 << QByteArray("<rss><channel><item>") << answer
                                       << int(UpdateError::AppcastParse) << QString();
        QTest::newRow("missing versions")
            << 200
            << QByteArray("<rss><channel><item><enclosure url=\"https://x/y\" length=\"1\"/></item></channel></rss>")
            << answer << int(UpdateError::NoUpdateFound) << QString();
        QTest::newRow("only older or other systems") << 200 << makeAppcast({{"1", ""}, {"0.9", ""}, {"5", "windows"}})
                                                     << answer << int(UpdateError::NoUpdateFound) << QString();
        QTest::newRow("http 404") << 404 << QByteArray("gone") << answer << int(UpdateError::Appcast) << QString();
        QTest::newRow("http 500") << 500 << QByteArray() << answer << int(UpdateError::Appcast) << QString();
        QTest::newRow("huge") << 200 << QByteArray(2 * 1024 * 1024, ' ') << answer << int(UpdateError::Appcast)
                              << QString();
        QTest::newRow("endless") << 200 << QByteArray() << int(LoopbackHttpServer::Behaviour::Endless)
                                 << int(UpdateError::Appcast) << QString();
        QTest::newRow("silent server") << 200 << QByteArray() << int(LoopbackHttpServer::Behaviour::Hang)
                                       << int(UpdateError::Appcast) << QString();
    }
    void brokenFeedsAbortWithTheirCode()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, behaviour);
        QFETCH(int, code);
        QFETCH(QString, feed);
        server->route(feedPath, {status, body, {}, LoopbackHttpServer::Behaviour(behaviour)});
        if (!feed.isEmpty())
            delegate.feed = feed;
        updater->startUpdater();
        runSession([&] { updater->checkForUpdates(); });
        QCOMPARE(delegate.aborts.size(), 1);
        QCOMPARE(delegate.aborts[0].code, code);
        QCOMPARE(driver->shown.value(driver->shown.size() - 1),
                 code == UpdateError::NoUpdateFound ? QStringLiteral("upToDate") : QStringLiteral("error"));
        QVERIFY(updater->canCheckForUpdates());
        if (!feed.isEmpty())
            QVERIFY(server->requests().isEmpty());
    }

    void skippedVersionStaysQuietUntilAskedOrSuperseded()
    {
        driver->answer = UpdateUserDriver::Choice::Skip;
        serveAppcast(makeAppcast({{"2", ""}}));
        updater->startUpdater();
        runSession([&] { updater->checkForUpdates(); });
        QCOMPARE(settings.string(QString::fromLatin1(AppcastUpdater::skippedVersionKey)), QStringLiteral("2"));

        focused = true;
        runSession([&] { timer->fire(); });
        QCOMPARE(delegate.aborts.last().code, int(UpdateError::NoUpdateFound));

        serveAppcast(makeAppcast({{"2", ""}, {"3", ""}}));
        driver->answer = UpdateUserDriver::Choice::RemindLater;
        runSession([&] { timer->fire(); });
        QCOMPARE(driver->shown.value(driver->shown.size() - 1), QStringLiteral("found 3"));
    }

    void userCheckDuringACheckIsQueued()
    {
        // The first (scheduled) check waits on a silent server until it times out.
        server->route(feedPath, {200, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        updater->startUpdater();
        timer->fire();
        QVERIFY(!updater->canCheckForUpdates());
        updater->checkForUpdates();
        updater->checkForUpdates();
        QTRY_COMPARE(server->count(QStringLiteral("GET"), feedPath), 1);
        serveAppcast(makeAppcast({{"1", ""}}));
        QTRY_COMPARE_WITH_TIMEOUT(driver->shown, QStringList({"checking", "upToDate"}), 5000);
        QCOMPARE(server->count(QStringLiteral("GET"), feedPath), 2);
        QCOMPARE(delegate.aborts.size(), 2);
        QCOMPARE(delegate.aborts[0].code, int(UpdateError::Appcast));
        QCOMPARE(delegate.aborts[1].code, int(UpdateError::NoUpdateFound));
    }

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
        const QString image = makeWithAppImage();
        driver->relaunchAnswer = true;
        const QByteArray archive(300000, 'n');
        const QByteArray signature = key->signBase64(archive);
        QByteArray served = archive;
        if (fault == u"tampered")
            served[100] = 'X';
        const qint64 announced = archive.size() + (fault == u"longer" ? -1 : fault == u"shorter" ? 1 : 0);
        serveRelease(served, signature, announced);
        if (fault == u"missing")
            server->route(archivePath, {404, "", {}, LoopbackHttpServer::Behaviour::Answer});
        updater->startUpdater();
        runSession([&] { updater->checkForUpdates(); });

        if (code == 0) {
            QCOMPARE(driver->shown, QStringList({"checking", "found 2", "downloading", "relaunch?"}));
            QCOMPARE(readAll(image), archive);
            QCOMPARE(relaunched, QStringList({image}));
            QVERIFY(delegate.aborts.isEmpty());
            return;
        }
        QCOMPARE(delegate.aborts.size(), 1);
        QCOMPARE(delegate.aborts[0].code, code);
        QCOMPARE(driver->shown.value(driver->shown.size() - 1), QStringLiteral("error"));
        QVERIFY(!driver->lastError.isEmpty());
        QCOMPARE(readAll(image), QByteArray("old"));
        QVERIFY(!QFile::exists(image + QStringLiteral(".bak")));
        QVERIFY(relaunched.isEmpty());
    }

    void withoutAppImageInstallOpensTheDownloadPage()
    {
        driver->answer = UpdateUserDriver::Choice::Install;
        QByteArray xml = makeAppcast({{"2", ""}});
        xml.replace("<title>", "<link>https://corvane.app/download</link><title>");
        serveAppcast(xml);
        updater->startUpdater();
        runSession([&] { updater->checkForUpdates(); });
        QCOMPARE(opened, QList<QUrl>({QUrl(QStringLiteral("https://corvane.app/download"))}));
        QCOMPARE(server->count(QStringLiteral("GET"), archivePath), 0);
    }

    void cancellingTheCheckEndsQuietly()
    {
        server->route(feedPath, {200, {}, {}, LoopbackHttpServer::Behaviour::Hang});
        updater->startUpdater();
        updater->checkForUpdates();
        QVERIFY(driver->cancel);
        QSignalSpy finished(updater.get(), &AppcastUpdater::sessionFinished);
        driver->cancel();
        QCOMPARE(finished.size(), 1);
        QVERIFY(delegate.aborts.isEmpty());
        QVERIFY(updater->canCheckForUpdates());
    }
};

QTEST_MAIN(AppcastUpdaterTest)
#include "tst_AppcastUpdater.moc"
