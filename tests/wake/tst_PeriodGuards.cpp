// SPDX-License-Identifier: GPL-3.0-or-later
// What watches a running period from outside: the warning before a timed period ends (on
// the fake clock, no sleeping) and the battery guard.
#include "TimerRig.h"
#include "wake/BatteryGuard.h"
#include "wake/EndOfPeriodWarning.h"
#include "wake/Notifier.h"
#include "wake/PowerSource.h"
#include "wake/SettingSwitch.h"

#include <QtTest>

using namespace std::chrono_literals;

namespace {
class FakeNotifier : public Notifier {
public:
    QStringList shown; // "title|action keys"
    void show(const QString &title, const QString &, const QList<Action> &actions) override
    {
        QStringList keys;
        for (const Action &action : actions)
            keys << action.key + QLatin1Char('=') + action.label;
        shown << title + QLatin1Char('|') + keys.join(QLatin1Char(','));
    }
    void withdraw() override {}
};

class FakePowerSource : public PowerSource {
public:
    bool battery = false;
    std::optional<double> percent;
    bool onBattery() const override { return battery; }
    std::optional<double> batteryPercent() const override { return percent; }
    void set(bool onBattery, std::optional<double> value)
    {
        battery = onBattery;
        percent = value;
        Q_EMIT changed();
    }
};

struct WarningRig : TimerRig {
    FakeNotifier notifier;
    TimerRig::Stack timer = make();
    SettingSwitch minutesBefore{settings, EndOfPeriodWarning::settingKey, EndOfPeriodWarning::defaultMinutes,
                                EndOfPeriodWarning::defaultMinutes};
    EndOfPeriodWarning warning{*timer, notifier, minutesBefore};
};
} // namespace

class PeriodGuardsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void warnsOnceBeforeTheEnd_data()
    {
        QTest::addColumn<qint64>("periodMinutes"); // 0: until turned off
        QTest::addColumn<QVariant>("setting"); // invalid: never set
        QTest::addColumn<int>("elapsedSeconds");
        QTest::addColumn<bool>("warned");

        QTest::addRow("1 h, 55 min in") << qint64(60) << QVariant() << 55 * 60 << true;
        QTest::addRow("1 h, a second earlier") << qint64(60) << QVariant() << 55 * 60 - 1 << false;
        QTest::addRow("no longer than the warning") << qint64(5) << QVariant() << 4 * 60 << false;
        QTest::addRow("switched off") << qint64(60) << QVariant(0) << 58 * 60 << false;
        QTest::addRow("10 min before") << qint64(60) << QVariant(10) << 50 * 60 << true;
        QTest::addRow("until turned off") << qint64(0) << QVariant() << 3 * 3600 << false;
    }
    void warnsOnceBeforeTheEnd()
    {
        QFETCH(qint64, periodMinutes);
        QFETCH(QVariant, setting);
        QFETCH(int, elapsedSeconds);
        QFETCH(bool, warned);

        WarningRig rig;
        if (setting.isValid())
            rig.settings.values[EndOfPeriodWarning::settingKey] = setting;
        rig.timer->start(periodMinutes ? WakeDuration::minutes(periodMinutes) : WakeDuration::indefinite());
        rig.clock.advance(std::chrono::seconds(elapsedSeconds));
        QCOMPARE(rig.notifier.shown.size(), warned ? 1 : 0);
        if (warned)
            QCOMPARE(rig.notifier.shown.first(),
                     QStringLiteral("This computer may sleep soon|extend=Extend 15 min,stop=Stop Now"));
        rig.clock.advance(30s); // never twice for one approach
        QVERIFY(rig.notifier.shown.size() <= 1);
    }

    void batteryGuard_data()
    {
        QTest::addColumn<qint64>("setting");
        QTest::addColumn<bool>("onBattery");
        QTest::addColumn<double>("percent"); // negative: no battery
        QTest::addColumn<bool>("stops");

        QTest::addRow("on battery, below") << qint64(20) << true << 19.5 << true;
        QTest::addRow("on battery, at the line") << qint64(20) << true << 20.0 << false;
        QTest::addRow("on mains, below") << qint64(20) << false << 5.0 << false;
        QTest::addRow("switched off") << qint64(0) << true << 5.0 << false;
        QTest::addRow("no battery") << qint64(20) << true << -1.0 << false;
    }
    void batteryGuard()
    {
        QFETCH(qint64, setting);
        QFETCH(bool, onBattery);
        QFETCH(double, percent);
        QFETCH(bool, stops);

        TimerRig rig;
        FakeNotifier notifier;
        FakePowerSource power;
        auto timer = rig.make();
        rig.settings.values[BatteryGuard::settingKey] = setting;
        SettingSwitch below(rig.settings, BatteryGuard::settingKey, BatteryGuard::onPercent, 0);
        BatteryGuard guard(*timer, power, notifier, below);
        const std::optional<double> charge = percent < 0 ? std::nullopt : std::optional<double>(percent);

        // While a period runs, and when one starts with the battery already low.
        for (const bool startFirst : {true, false}) {
            power.set(false, 100.0);
            if (startFirst) {
                timer->start(WakeDuration::indefinite());
                power.set(onBattery, charge);
            } else {
                power.set(onBattery, charge);
                timer->start(WakeDuration::minutes(30));
                QCoreApplication::sendPostedEvents();
            }
            QCOMPARE(!timer->active(), stops);
            QCOMPARE(notifier.shown.size(), stops ? (startFirst ? 1 : 2) : 0);
            timer->stop();
        }
    }
};

QTEST_GUILESS_MAIN(PeriodGuardsTest)
#include "tst_PeriodGuards.moc"
