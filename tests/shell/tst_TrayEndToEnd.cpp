// SPDX-License-Identifier: GPL-3.0-or-later
// The real program in a throwaway X session with an XEmbed tray (trayer): a click outside the
// open panel must reach the window it was aimed at. The clicks, menus and countdown on real
// desktops are covered by the desktop rig (tests/desktops).
#include "RunningCorvane.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

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
    const QStringList ids = run(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                                 QStringLiteral("corvane")})
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

} // namespace

class TrayEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        CORVANE_REQUIRE(!qEnvironmentVariableIsEmpty("DISPLAY") && QDBusConnection::systemBus().isConnected(),
                        "Xvfb and private buses");
        QVERIFY2(
            !run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("command -v trayer xdotool")}).isEmpty(),
            "trayer and xdotool are installed by scripts/deps");
        m_tray.start(QStringLiteral("trayer"),
                     {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                      QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                      QStringLiteral("--height"), QStringLiteral("24")});
        QVERIFY(m_tray.waitForStarted());

        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        m_corvane = launch(env);
        QVERIFY(TestBus::waitFor([] { return !state().isEmpty(); }, 10000));
        QVERIFY(TestBus::waitFor(
            [this] {
                m_icon = trayIconGeometry();
                return m_icon.isValid();
            },
            10000));
    }

    void aClickElsewhereReachesItsWindowAndClosesThePanel()
    {
        // Another program's window, which reports the presses it receives.
        QProcess other;
        other.start(QStringLiteral("xev"),
                    {QStringLiteral("-geometry"), QStringLiteral("300x200+40+400"), QStringLiteral("-event"),
                     QStringLiteral("button")});
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
