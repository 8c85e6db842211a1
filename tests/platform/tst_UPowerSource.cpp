// SPDX-License-Identifier: GPL-3.0-or-later
// The battery as python3-dbusmock's upower template reports it on the private system bus.
#include "TestSupport.h"
#include "platform/UPowerSource.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

namespace {
const QString upowerName = QStringLiteral("org.freedesktop.UPower");

void setDevice(const MockService &upower, const QVariantMap &properties)
{
    QDBusMessage set = QDBusMessage::createMethodCall(upowerName, QStringLiteral("/org/freedesktop/UPower"),
                                                      QStringLiteral("org.freedesktop.DBus.Mock"),
                                                      QStringLiteral("SetDeviceProperties"));
    set << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice")))
        << properties;
    upower.bus().call(set);
}

void setOnBattery(const MockService &upower, bool onBattery)
{
    QDBusMessage set =
        QDBusMessage::createMethodCall(upowerName, QStringLiteral("/org/freedesktop/UPower"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << upowerName << QStringLiteral("OnBattery") << QVariant::fromValue(QDBusVariant(onBattery));
    upower.bus().call(set);
}
} // namespace

class UPowerSourceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { CORVANE_REQUIRE(TestBus::bus(true).isConnected(), "the private system bus"); }

    void readingsOutsideTheRangeAreNotReadings_data()
    {
        QTest::addColumn<double>("reported");
        QTest::addColumn<double>("kept");
        QTest::addRow("NaN") << std::nan("") << 50.0;
        QTest::addRow("150") << 150.0 << 50.0;
        QTest::addRow("empty") << 0.0 << 0.0;
        QTest::addRow("full") << 100.0 << 100.0;
    }
    void readingsOutsideTheRangeAreNotReadings()
    {
        QFETCH(double, reported);
        QFETCH(double, kept);
        MockService upower(QStringLiteral("upower"), true, upowerName, {{QStringLiteral("OnBattery"), true}});
        QVERIFY(upower.isRunning());
        setDevice(upower, {{QStringLiteral("Percentage"), 50.0}});
        BusConnections buses;
        UPowerSource power(buses);
        QVERIFY(TestBus::waitFor([&] { return power.onBattery() && power.batteryPercent() == 50.0; }));
        QSignalSpy changed(&power, &PowerSource::changed);

        setDevice(upower, {{QStringLiteral("Percentage"), reported}});
        // UPower's signals arrive in the order it sends them: once the mains change is in,
        // the percentage before it was handled.
        setOnBattery(upower, false);
        QVERIFY(TestBus::waitFor([&] { return !power.onBattery(); }));
        QCOMPARE(power.batteryPercent(), std::optional<double>(kept));
        QCOMPARE(changed.size(), kept == 50.0 ? 1 : 2);
    }
};

QTEST_GUILESS_MAIN(UPowerSourceTest)
#include "tst_UPowerSource.moc"
