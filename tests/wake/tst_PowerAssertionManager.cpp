#include "RecordingBackend.h"
#include "wake/PowerAssertionManager.h"

#include <QtTest>
#include <thread>

class PowerAssertionManagerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameModeKeepsTheHeldAssertionAndItsReason()
    {
        RecordingBackend backend;
        PowerAssertionManager manager(backend);
        QVERIFY(manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("first")));
        QVERIFY(manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("second")));
        QCOMPARE(backend.log, QStringList{QStringLiteral("acquire displayAndSystem first")});
        QCOMPARE(manager.heldMode(), AssertionMode::displayAndSystem);
    }

    void modeSwitchCreatesBeforeReleasing()
    {
        RecordingBackend backend;
        PowerAssertionManager manager(backend);
        QVERIFY(manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("r")));
        QVERIFY(manager.acquire(AssertionMode::systemOnly, QStringLiteral("r")));
        QCOMPARE(backend.log, (QStringList{QStringLiteral("acquire displayAndSystem r"),
                                           QStringLiteral("acquire systemOnly r"), QStringLiteral("release 1")}));
        QCOMPARE(manager.heldMode(), AssertionMode::systemOnly);
        QCOMPARE(backend.live.size(), size_t(1));
    }

    void refusalKeepsWhatWasHeld()
    {
        RecordingBackend backend;
        PowerAssertionManager manager(backend);
        backend.refuse = true;
        QVERIFY(!manager.acquire(AssertionMode::systemOnly, QStringLiteral("r")));
        QVERIFY(!manager.heldMode());

        backend.refuse = false;
        QVERIFY(manager.acquire(AssertionMode::systemOnly, QStringLiteral("r")));
        backend.refuse = true;
        QVERIFY(!manager.acquire(AssertionMode::displayAndSystem, QStringLiteral("r")));
        QCOMPARE(manager.heldMode(), AssertionMode::systemOnly);
        QCOMPARE(backend.releases.load(), 0);
    }

    void releaseIsIdempotent()
    {
        RecordingBackend backend;
        PowerAssertionManager manager(backend);
        manager.release();
        QVERIFY(manager.acquire(AssertionMode::systemOnly, QStringLiteral("r")));
        manager.release();
        manager.release();
        QCOMPARE(backend.releases.load(), 1);
        QVERIFY(!manager.heldMode());
    }

    void concurrentReleasesReleaseOnce()
    {
        RecordingBackend backend;
        PowerAssertionManager manager(backend);
        QVERIFY(manager.acquire(AssertionMode::systemOnly, QStringLiteral("r")));
        std::vector<std::thread> threads;
        for (int i = 0; i < 8; ++i)
            threads.emplace_back([&] { manager.release(); });
        for (auto &t : threads)
            t.join();
        QCOMPARE(backend.releases.load(), 1);
    }

    void modesReadBackExactly()
    {
        QCOMPARE(AssertionModes::fromRawValue(QStringLiteral("systemOnly")), AssertionMode::systemOnly);
        QCOMPARE(AssertionModes::fromRawValue(QStringLiteral("displayAndSystem")), AssertionMode::displayAndSystem);
        QVERIFY(!AssertionModes::fromRawValue(QString()));
        QVERIFY(!AssertionModes::fromRawValue(QStringLiteral("SystemOnly")));
        QVERIFY(!AssertionModes::fromRawValue(QStringLiteral("displayandsystem")));
    }
};

QTEST_GUILESS_MAIN(PowerAssertionManagerTest)
#include "tst_PowerAssertionManager.moc"
