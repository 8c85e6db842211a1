// SPDX-License-Identifier: GPL-3.0-or-later
// The real clock: what its handles promise, on the real event loop.
#include "wake/SystemClock.h"

#include <QtTest>

using namespace std::chrono;

class SystemClockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A call or tick may replace or drop its own handle (a retry scheduling the next one).
    void aHandleMayBeReplacedFromItsOwnCall_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("delayed call") << false;
        QTest::newRow("ticker") << true;
    }
    void aHandleMayBeReplacedFromItsOwnCall()
    {
        QFETCH(bool, repeat);
        SystemClock clock;
        int runs = 0;
        Clock::Handle handle;
        std::function<void()> run = [&] {
            ++runs;
            handle = runs < 3 ? (repeat ? clock.every(1ms, run) : clock.callAfter(1ms, run)) : nullptr;
        };
        handle = repeat ? clock.every(1ms, run) : clock.callAfter(0ms, run);
        QTRY_COMPARE_WITH_TIMEOUT(runs, 3, 5000);
        QVERIFY(!handle);
    }

    void aDroppedHandleCancels()
    {
        SystemClock clock;
        bool dropped = false;
        bool kept = false;
        clock.callAfter(0ms, [&] { dropped = true; }).reset();
        const Clock::Handle handle = clock.callAfter(0ms, [&] { kept = true; });
        QTRY_VERIFY_WITH_TIMEOUT(kept, 5000);
        QVERIFY(!dropped);
    }
};

QTEST_GUILESS_MAIN(SystemClockTest)
#include "tst_SystemClock.moc"
