// logind's power-off announcements through the mock on the private system bus.
#include "TestSupport.h"
#include "platform/SystemEvents.h"

#include <QDBusMessage>
#include <QtTest>

namespace {
void emitLogind(const QString &name, const QString &signature, const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    message << QStringLiteral("org.freedesktop.login1.Manager") << name << signature << args;
    QDBusConnection::systemBus().call(message);
}

void shutdown(bool entering)
{
    emitLogind(QStringLiteral("PrepareForShutdown"), QStringLiteral("b"), {entering});
}

void shutdownWithMetadata(bool entering)
{
    emitLogind(QStringLiteral("PrepareForShutdownWithMetadata"), QStringLiteral("ba{sv}"),
               {entering, QVariant::fromValue(QVariantMap{{QStringLiteral("type"), QStringLiteral("poweroff")}})});
}
} // namespace

class SystemEventsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::systemBus().isConnected())
            QSKIP("needs scripts/test-env: a private system bus with the logind mock");
    }

    // systemd 255 and later announce one power-off with both signals.
    void onePowerOffIsAnnouncedOnce()
    {
        SystemEvents events(true);
        QSignalSpy off(&events, &SystemEvents::willPowerOff);
        QSignalSpy cancelled(&events, &SystemEvents::powerOffCancelled);
        shutdown(true);
        shutdownWithMetadata(true);
        QVERIFY(TestBus::waitFor([&] { return off.size() == 1; }));
        shutdown(false);
        shutdownWithMetadata(false);
        QVERIFY(TestBus::waitFor([&] { return cancelled.size() == 1; }));
        // A second power-off is news again.
        shutdownWithMetadata(true);
        QVERIFY(TestBus::waitFor([&] { return off.size() == 2; }));
        // Everything sent has arrived once the cancellation after it has.
        shutdown(false);
        QVERIFY(TestBus::waitFor([&] { return cancelled.size() == 2; }));
        QCOMPARE(off.size(), 2);
    }
};

QTEST_GUILESS_MAIN(SystemEventsTest)
#include "tst_SystemEvents.moc"
