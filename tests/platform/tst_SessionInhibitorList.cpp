// SPDX-License-Identifier: GPL-3.0-or-later
// Other applications' locks as logind lists them, on the private buses of scripts/test-env:
// gnome-session's mirror of every session inhibitor, ours included, is told apart by the
// process that holds it and never listed; real applications are.
#include "TestSupport.h"
#include "platform/BusConnections.h"
#include "platform/SessionInhibitorList.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QtTest>

namespace {
// logind's list as the mock will answer it, each lock held by process `pid`.
bool setLogindLocks(const QList<std::pair<QString, uint>> &locks)
{
    QStringList rows;
    for (const auto &[text, pid] : locks) {
        const QStringList f = text.split(QLatin1Char('|'));
        rows << QStringLiteral("('%1', '%2', '%3', 'block', dbus.UInt32(1000), dbus.UInt32(%4))")
                    .arg(f.value(0), f.value(1), f.value(2))
                    .arg(pid);
    }
    QDBusMessage add = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"));
    add << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("ListInhibitors") << QString()
        << QStringLiteral("a(ssssuu)") << QStringLiteral("ret = [%1]").arg(rows.join(QLatin1String(", ")));
    return TestBus::bus(true).call(add).type() == QDBusMessage::ReplyMessage;
}
} // namespace

class SessionInhibitorListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leavesOutTheSessionManagersMirror()
    {
        CORVANE_REQUIRE(TestBus::bus(true).interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")),
                        "the logind mock");
        const uint self = uint(QCoreApplication::applicationPid());
        QVERIFY(setLogindLocks({{QStringLiteral("sleep|root|user session inhibited"), self},
                                {QStringLiteral("idle:sleep|Videos|Playing a film"), 4242}}));
        QVERIFY(TestBus::bus(false).registerService(QStringLiteral("org.gnome.SessionManager")));
        BusConnections buses;
        SessionInhibitorList others(buses);
        QSignalSpy changed(&others, &OtherInhibitors::changed);
        others.refresh();
        QTRY_COMPARE_WITH_TIMEOUT(others.list(), QStringList{QStringLiteral("Videos: Playing a film")}, 5000);
        // Nothing else comes later: a mirror that showed for a moment would blink in the menu.
        QCOMPARE(changed.count(), 1);
    }
};

QTEST_GUILESS_MAIN(SessionInhibitorListTest)
#include "tst_SessionInhibitorList.moc"
