// SPDX-License-Identifier: GPL-3.0-or-later
// Each mechanism against a mock of its desktop's services (tests/mocks/inhibit_services.py)
// or python3-dbusmock's logind, on the private buses of scripts/test-env, walked by the real
// chain under the real timer service: what users lived through when a service restarts,
// answers wrongly, hangs, or the bus daemon is replaced.
#include "TestSupport.h"
#include "platform/LinuxInhibitors.h"
#include "platform/LogindSystemEvents.h"
#include "wake/SystemClock.h"
#include "wake/WakeStack.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QtTest>

namespace {
const QString mockName = QStringLiteral("org.corvane.MockInhibitServices");
const QString login1 = QStringLiteral("org.freedesktop.login1");

QDBusMessage ask(bool system, const QString &service, const QString &path, const QString &method,
                 const QVariantList &args = {}, QString interface = {})
{
    if (interface.isEmpty())
        interface = system ? QStringLiteral("org.freedesktop.login1.Manager") : service;
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    return TestBus::bus(system).call(message);
}

QDBusMessage askServices(const QString &method, const QVariantList &args = {})
{
    return ask(false, mockName, QStringLiteral("/org/corvane/MockInhibitServices"), method, args);
}

// How many inhibitions in force at the desktop's services (or at logind) `who` holds.
qsizetype countOf(const QString &desktop, const QString &who)
{
    if (!desktop.isEmpty())
        return askServices("Live").arguments().value(0).toStringList().count(who);
    return TestBus::logindInhibitors()
        .filter(QStringLiteral("|block"))
        .filter(QLatin1Char('|') + who + QLatin1Char('|'))
        .size();
}

// The desktop's services (every name in one process), or a logind that takes over the name.
// Returns once the new process answers: it owns its main name before it has loaded the
// desktop's names, and a chain started in between would rightly fall through to logind.
std::unique_ptr<MockService> startServices(const QString &desktop, const QVariantMap &behaviour = {})
{
    const bool system = desktop.isEmpty();
    auto owner = [&] { return TestBus::bus(system).interface()->serviceOwner(system ? login1 : mockName).value(); };
    const QString before = owner();
    QVariantMap parameters = behaviour;
    parameters.insert(QStringLiteral("desktop"), desktop);
    parameters.insert(QStringLiteral("delay"), desktop == QLatin1String("kde") ? 0.5 : 0);
    auto mock = system ? std::make_unique<MockService>(QStringLiteral("logind"), true, login1)
                       : std::make_unique<MockService>(TestBus::mockTemplate(QStringLiteral("inhibit_services.py")),
                                                       false, mockName, parameters);
    const bool up = TestBus::waitFor(
        [&] {
            return !owner().isEmpty() && owner() != before
                && (system || askServices("Live").type() == QDBusMessage::ReplyMessage);
        },
        30000);
    if (!up)
        qWarning("the services for %s did not come up", qPrintable(desktop));
    return mock;
}

void emitPowerOff(bool entering)
{
    ask(true, login1, QStringLiteral("/org/freedesktop/login1"), QStringLiteral("EmitSignal"),
        {"org.freedesktop.login1.Manager", "PrepareForShutdown", "b", QVariantList{entering}},
        QStringLiteral("org.freedesktop.DBus.Mock"));
}

// The program's wake stack on the desktop's mechanisms, with its guard's answer to a
// power-off; the test process keeps its signals.
struct Layer {
    explicit Layer(bool xfce)
        : inhibitors(DesktopEnvironment::fromNames(xfce ? QStringLiteral("XFCE") : QString(), {}), clock,
                     InhibitorChain::Timing{})
    {}
    SystemClock clock;
    LinuxInhibitors inhibitors;
    LogindSystemEvents events{inhibitors.buses()};
    MemorySettingsStore settings;
    WakeStack stack{{inhibitors.chain(), nullptr, settings, {clock, events}}, WakeStack::Guard::allButSignals};
    CorvaneTimerService &timer = stack.timer();
};
} // namespace

class InhibitorsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MockService> m_logindOnNewBus; // for the rest of the run
private Q_SLOTS:
    void mechanismKeepsItsPromises_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("heldBy");
        QTest::addColumn<int>("tokens"); // what one inhibition is made of
        QTest::addColumn<bool>("withLogind"); // and a logind lock besides
        QTest::newRow("gnome-session") << "gnome"
                                       << "GNOME Session Manager" << 1 << false;
        QTest::newRow("PowerDevil") << "kde"
                                    << "KDE Power Management" << 1 << false;
        // The screen saver alone, never the power manager's PowerManagement.
        QTest::newRow("XFCE") << "xfce"
                              << "XFCE screen saver and systemd-logind" << 1 << true;
        QTest::newRow("ScreenSaver + PowerManagement") << "freedesktop"
                                                       << "Screen Saver and Power Management" << 2 << false;
        QTest::newRow("portal") << "portal"
                                << "Desktop portal" << 1 << false;
        // Last: replacing the system bus leaves the rows after it a logind of this test's own.
        QTest::newRow("logind") << ""
                                << "systemd-logind" << 1 << false;
    }
    void mechanismKeepsItsPromises()
    {
        QFETCH(QString, desktop);
        QFETCH(QString, heldBy);
        QFETCH(int, tokens);
        QFETCH(bool, withLogind);
        CORVANE_REQUIRE(TestBus::bus(true).isConnected(), "a private system bus with the logind mock");
        const bool logind = desktop.isEmpty();
        QDBusMessage theirs; // keeps their logind lock open
        auto foreign = [&] {
            theirs = logind ? ask(true, login1, QStringLiteral("/org/freedesktop/login1"), QStringLiteral("Inhibit"),
                                  {"sleep", "Other", "theirs", "block"})
                            : askServices("Foreign");
        };
        std::unique_ptr<MockService> services = logind ? nullptr : startServices(desktop);
        Layer layer(desktop == QLatin1String("xfce"));
        auto holds = [&] {
            return layer.timer.heldBy() == heldBy && countOf(desktop, "Corvane") == tokens
                && (!withLogind || countOf({}, "Corvane") == 1);
        };
        layer.timer.start(WakeDuration::indefinite());
        QVERIFY(TestBus::waitFor(holds));

        // A new duration is a new inhibition (a new reason) that replaces the old one, and
        // the old one's release must not take the new one with it (XFCE's screen saver
        // counts per connection). The portal's mock keeps one request open at a time.
        if (!logind && desktop != QLatin1String("portal")) {
            auto reasons = [] { return askServices("Reasons", {"Corvane"}).arguments().value(0).toStringList(); };
            const QStringList before = reasons();
            layer.timer.start(WakeDuration::minutes(90));
            QVERIFY2(TestBus::waitFor([&] {
                         const QStringList now = reasons();
                         return holds() && !now.isEmpty() && !now.contains(before.value(0));
                     }),
                     qPrintable(reasons().join(QLatin1Char('|'))));
        }

        // Restarted: the new instance numbers from 1 again, and another client takes the
        // number that was ours; we hold again through the new owner, and our stop leaves theirs.
        services.reset();
        services = startServices(desktop);
        foreign();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(TestBus::waitFor(holds, 1000));
        const qsizetype theirCount = countOf(desktop, QStringLiteral("Other"));
        QVERIFY(theirCount >= 1);

        // A power-off that is called off: the inhibition comes back.
        emitPowerOff(true);
        QVERIFY(TestBus::waitFor([&] { return countOf(desktop, "Corvane") == 0; }));
        emitPowerOff(false);
        QVERIFY(TestBus::waitFor(holds));

        layer.timer.stop();
        QVERIFY(TestBus::waitFor([&] { return countOf(desktop, "Corvane") == 0; }));
        QVERIFY(TestBus::drain(
            layer.inhibitors.buses().connection(logind ? BusConnections::Bus::System : BusConnections::Bus::Session),
            logind ? login1 : mockName));
        QCOMPARE(countOf(desktop, QStringLiteral("Other")), theirCount);

        // One of each way to fail, on one mechanism each: a mistyped answer (a number in a
        // string still goes back), the portal's refusal, and a service that hangs, which
        // costs only its share of the deadline: logind holds within 2 s while the main loop
        // keeps turning.
        const QMap<QString, QVariantMap> wrongs{{"gnome", {{"answer", "s"}}},
                                                {"portal", {{"response", 2}}},
                                                {"freedesktop", {{"answer", "hang"}}}};
        if (wrongs.contains(desktop)) {
            const QByteArray answer = desktop.toUtf8();
            services.reset();
            services = startServices(desktop, wrongs.value(desktop));
            int beats = 0;
            QTimer beat;
            connect(&beat, &QTimer::timeout, [&] { ++beats; });
            beat.start(10);
            clock.restart();
            layer.timer.start(WakeDuration::indefinite());
            QVERIFY2(TestBus::waitFor([&] { return layer.timer.heldBy() == "systemd-logind"; }, 2000), answer);
            QVERIFY(beats > clock.elapsed() / 40); // a hung service stalls nothing
            layer.timer.stop();
            QVERIFY(TestBus::waitFor([&] { return countOf({}, "Corvane") == 0; }));
            services.reset();
            services = startServices(desktop);
        }

        // The bus daemon replaced: the connection is made anew and the new services hold.
        layer.timer.start(WakeDuration::indefinite());
        QVERIFY(TestBus::waitFor(holds));
        services.reset();
        QVERIFY(TestBus::replaceBus(logind));
        // A logind for the new system bus, for the rest of this run.
        if (logind)
            m_logindOnNewBus = startServices({});
        else
            services = startServices(desktop);
        QVERIFY(TestBus::waitFor(holds, 8000));
        layer.timer.stop();
        QVERIFY(TestBus::waitFor([&] { return countOf(desktop, "Corvane") == 0; }));
    }
};

QTEST_GUILESS_MAIN(InhibitorsTest)
#include "tst_Inhibitors.moc"
