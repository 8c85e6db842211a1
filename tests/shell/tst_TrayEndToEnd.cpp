// The real program in a throwaway X session with an XEmbed tray (trayer), clicked like a
// user would with xdotool, on the private buses with the logind mock.
#include "RunningCorvane.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace RunningCorvane;

namespace {
QString run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void xdotool(const QStringList &args)
{
    run(QStringLiteral("xdotool"), args);
}

// The tray icon: our visible window that the tray embedded (small, not the panel).
QRect trayIconGeometry()
{
    const QStringList ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                           QStringLiteral("--class"), QStringLiteral("corvane")})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &id : ids) {
        QMap<QString, int> values;
        for (const QString &line :
             run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id})
                 .split(QLatin1Char('\n'))) {
            const QStringList pair = line.split(QLatin1Char('='));
            if (pair.size() == 2)
                values[pair[0]] = pair[1].toInt();
        }
        const QRect geometry(values[QStringLiteral("X")], values[QStringLiteral("Y")], values[QStringLiteral("WIDTH")],
                             values[QStringLiteral("HEIGHT")]);
        if (geometry.width() > 0 && geometry.width() <= 64)
            return geometry;
    }
    return {};
}


void click(QPoint at, int button)
{
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QString::number(button)});
}

const QString ninetyMinutes = QStringLiteral("idle:sleep|Corvane|Corvane: keeping this computer awake for 1 h 30 min|block");
} // namespace

class TrayEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY") && QDBusConnection::systemBus().isConnected(),
                        "Xvfb and private buses");
        QVERIFY2(!run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("command -v trayer xdotool")}).isEmpty(),
                 "trayer and xdotool are installed by scripts/deps");
        m_tray.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                                                 QStringLiteral("right"), QStringLiteral("--widthtype"),
                                                 QStringLiteral("request"), QStringLiteral("--height"), QStringLiteral("24")});
        QVERIFY(m_tray.waitForStarted());

        // A user whose last wake period lasted 90 minutes.
        QDir(m_config.path()).mkpath(QStringLiteral("Corvane"));
        QFile settings(m_config.filePath(QStringLiteral("Corvane/Corvane.conf")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\ncorvane.lastDuration=90\n");
        settings.close();

        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        m_corvane = launch(env);
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QVERIFY(TestBus::waitFor([this] {
            m_icon = trayIconGeometry();
            return m_icon.isValid();
        }, 10000));
    }

    void rightClickIsTheQuickToggle()
    {
        click(m_icon.center(), 3);
        QVERIFY(TestBus::waitFor([] { return blockLocks() == QStringList{ninetyMinutes}; }));
        QVERIFY(!panel().visible);
        click(m_icon.center(), 3);
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
    }

    void leftClickOpensThePanelUnderTheIcon()
    {
        click(m_icon.center(), 1);
        QVERIFY(TestBus::waitFor([] { return panel().visible; }));
        const QRect frame = panel().geometry;
        QCOMPARE(frame.width(), 300);
        QCOMPARE(frame.top(), m_icon.bottom() + 1 + 6);
        // Centred under the icon, but kept 8 px inside the right edge of the 1280 px screen.
        QCOMPARE(frame.x(), std::min(m_icon.center().x() - 150, 1280 - 300 - 8));

        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QVERIFY(TestBus::waitFor([] { return !panel().visible; }));

        // Open again, then a click on the icon closes it and does not reopen it.
        QTest::qWait(400);
        click(m_icon.center(), 1);
        QVERIFY(TestBus::waitFor([] { return panel().visible; }));
        click(m_icon.center(), 1);
        QVERIFY(TestBus::waitFor([] { return !panel().visible; }));
        QTest::qWait(500);
        QVERIFY(!panel().visible);
    }

    void quickToggleLeavesTheOpenPanelAsItIs_data()
    {
        QTest::addColumn<QStringList>("press");
        QTest::newRow("Alt+click") << QStringList{QStringLiteral("keydown"), QStringLiteral("alt"), QStringLiteral("click"),
                                                  QStringLiteral("1"), QStringLiteral("keyup"), QStringLiteral("alt")};
        QTest::newRow("right click") << QStringList{QStringLiteral("click"), QStringLiteral("3")};
        QTest::newRow("middle click") << QStringList{QStringLiteral("click"), QStringLiteral("2")};
    }

    void quickToggleLeavesTheOpenPanelAsItIs()
    {
        QFETCH(QStringList, press);
        QTest::qWait(400);
        click(m_icon.center(), 1);
        QVERIFY(TestBus::waitFor([] { return panel().visible; }));
        const QStringList on = QStringList{QStringLiteral("mousemove"), QString::number(m_icon.center().x()),
                                           QString::number(m_icon.center().y())} + press;
        xdotool(on);
        QVERIFY(TestBus::waitFor([] { return blockLocks() == QStringList{ninetyMinutes}; }));
        QVERIFY(panel().visible);
        xdotool(on);
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
        QTest::qWait(100);
        QVERIFY(panel().visible);
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QVERIFY(TestBus::waitFor([] { return !panel().visible; }));
    }

    void aClickElsewhereReachesItsWindowAndClosesThePanel()
    {
        // Another program's window, which reports the presses it receives.
        QProcess other;
        other.start(QStringLiteral("xev"), {QStringLiteral("-geometry"), QStringLiteral("300x200+40+400"),
                                            QStringLiteral("-event"), QStringLiteral("button")});
        QVERIFY(other.waitForStarted());
        xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--name"), QStringLiteral("Event Tester")});
        QTest::qWait(400);
        click(m_icon.center(), 1);
        QVERIFY(TestBus::waitFor([] { return panel().visible; }));

        click(QPoint(190, 500), 1);
        QVERIFY(TestBus::waitFor([] { return !panel().visible; }));
        QString seen;
        QVERIFY(TestBus::waitFor([&] {
            seen += QString::fromLocal8Bit(other.readAllStandardOutput());
            return seen.contains(QStringLiteral("ButtonPress event"));
        }));
        other.terminate();
        other.waitForFinished();
    }

    void aPresetStartsAndStopsThatDuration()
    {
        QTest::qWait(400);
        click(m_icon.center(), 1);
        QVERIFY(TestBus::waitFor([] { return panel().visible; }));
        const QStringList at = control(QStringLiteral("WidgetCenter"), {QStringLiteral("preset-0")})
                                   .arguments().value(0).toString().split(QLatin1Char(' '));
        QCOMPARE(at.size(), 2);
        const QPoint pill(at[0].toInt(), at[1].toInt());
        click(pill, 1);
        QVERIFY(TestBus::waitFor([] {
            return blockLocks() == QStringList{QStringLiteral("idle:sleep|Corvane|Corvane: keeping this computer awake for 15 min|block")};
        }));
        QVERIFY(panel().visible);
        // The running preset stops it.
        click(pill, 1);
        QVERIFY(TestBus::waitFor([] { return blockLocks().isEmpty(); }));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    }

    void sigtermReleasesAndExitsZero()
    {
        QTest::qWait(400);
        // The preset before was the last successful start, so the quick toggle uses it.
        click(m_icon.center(), 3);
        QVERIFY(TestBus::waitFor([] {
            return blockLocks() == QStringList{QStringLiteral("idle:sleep|Corvane|Corvane: keeping this computer awake for 15 min|block")};
        }));
        ::kill(pid_t(m_corvane->processId()), SIGTERM);
        QVERIFY(exitedWithZero(*m_corvane));
        QVERIFY(TestBus::waitFor([] { return TestBus::logindInhibitors().isEmpty(); }));
    }

    void cleanupTestCase()
    {
        if (m_corvane && m_corvane->state() != QProcess::NotRunning) {
            m_corvane->kill();
            m_corvane->waitForFinished();
        }
        m_tray.kill();
        m_tray.waitForFinished();
    }

private:
    QProcess m_tray;
    QTemporaryDir m_config;
    std::unique_ptr<QProcess> m_corvane;
    QRect m_icon;
};

QTEST_GUILESS_MAIN(TrayEndToEndTest)
#include "tst_TrayEndToEnd.moc"
