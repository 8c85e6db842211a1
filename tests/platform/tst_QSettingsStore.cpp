#include "platform/QSettingsStore.h"
#include "platform/BootTimeClock.h"
#include "platform/CoarseTicker.h"
#include "wake/SystemEvents.h"
#include "wake/CorvaneTimerService.h"
#include "RecordingBackend.h"
#include "wake/PowerAssertionManager.h"

#include <QTemporaryDir>
#include <QtTest>

class QSettingsStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrips()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Corvane.conf"));
        {
            QSettingsStore store(file);
            store.setInteger(QStringLiteral("corvane.lastDuration"), 90);
            store.setString(QStringLiteral("corvane.mode"), QStringLiteral("systemOnly"));
        }
        QSettingsStore store(file);
        QCOMPARE(store.integer(QStringLiteral("corvane.lastDuration")), 90);
        QCOMPARE(store.string(QStringLiteral("corvane.mode")), QStringLiteral("systemOnly"));
        QVERIFY(!store.contains(QStringLiteral("corvane.customHours")));
    }

    void garbledFilesFallBackToDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("non-numeric duration, unknown mode")
            << QByteArray("[General]\ncorvane.lastDuration=ninety\ncorvane.mode=sideways\n");
        QTest::newRow("not an ini file at all") << QByteArray("\x00\xff\xfe garbage [[[ = = \n\x01\x02", 20);
        QTest::newRow("list where a value belongs") << QByteArray("[General]\ncorvane.lastDuration=1, 2\ncorvane.mode=a, b\n");
        QTest::newRow("overflowing number") << QByteArray("[General]\ncorvane.lastDuration=99999999999999999999999\n");
    }
    void garbledFilesFallBackToDefaults()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Corvane.conf"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();

        QSettingsStore store(file);
        RecordingBackend backend;
        PowerAssertionManager manager(backend);
        SystemEvents events;
        BootTimeClock bootClock;
        CorvaneTimerService timer(manager, store, TimerServiceEnvironment{bootClock, CoarseTicker::factory(), events});
        QCOMPARE(timer.mode(), AssertionMode::displayAndSystem);
        QCOMPARE(timer.lastDuration(), WakeDuration::indefinite());
        // And the program can still write its choices.
        timer.setMode(AssertionMode::systemOnly);
        QCOMPARE(QSettingsStore(file).string(QStringLiteral("corvane.mode")), QStringLiteral("systemOnly"));
    }
};

QTEST_GUILESS_MAIN(QSettingsStoreTest)
#include "tst_QSettingsStore.moc"
