// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the tray shows, for each state of the timer, in English and German.
#include "shell/TrayPresenter.h"

#include <QTranslator>
#include <QtTest>

using State = TrayPresenter::State;
Q_DECLARE_METATYPE(TrayPresenter::State)

namespace {
const QDateTime now(QDate(2026, 12, 7), QTime(14, 0));

State idle(WakeDuration last, AssertionMode mode = AssertionMode::systemOnly)
{
    return {std::nullopt, 0, 0, last, mode, false, std::nullopt};
}

State timed(qint64 minutes, qint64 remaining, AssertionMode mode = AssertionMode::systemOnly)
{
    return {WakeDuration::minutes(minutes), remaining, minutes * 60, WakeDuration::minutes(minutes), mode, false,
            now.addSecs(remaining)};
}

State indefinite(AssertionMode mode)
{
    return {WakeDuration::indefinite(), 0, 0, WakeDuration::indefinite(), mode, false, std::nullopt};
}

State refused(AssertionMode mode)
{
    State state = idle(WakeDuration::minutes(60), mode);
    state.refused = true;
    return state;
}

// A period that lost its inhibition and waits for something to hold it again.
State unheld(State state)
{
    state.unheld = true;
    return state;
}

// Where the host shows the label beside the icon.
State besideLabel(State state)
{
    state.labelShown = true;
    return state;
}

State heldFor(State state, const QString &trigger)
{
    state.trigger = trigger;
    return state;
}

// The menu as a user reads it: "(•)" a chosen radio row, "[x]" a ticked one, "---" a line.
QStringList readMenu(const QList<TrayPresenter::MenuRow> &rows)
{
    QStringList lines;
    for (const TrayPresenter::MenuRow &row : rows) {
        if (row.isSeparator()) {
            lines << QStringLiteral("---");
            continue;
        }
        QString mark;
        if (row.check == TrayPresenter::MenuRow::Check::Radio)
            mark = row.checked ? QStringLiteral("(•) ") : QStringLiteral("( ) ");
        else if (row.check == TrayPresenter::MenuRow::Check::Checkmark)
            mark = row.checked ? QStringLiteral("[x] ") : QStringLiteral("[ ] ");
        lines << mark + row.text;
    }
    return lines;
}
} // namespace

class TrayPresenterTest : public QObject {
    Q_OBJECT

    QTranslator m_german;

    void useLanguage(const QString &lang)
    {
        QCoreApplication::removeTranslator(&m_german);
        if (lang == QLatin1String("de")) {
            QVERIFY(m_german.load(QStringLiteral(":/i18n/corvane_de.qm")));
            QCoreApplication::installTranslator(&m_german);
        }
        QLocale::setDefault(QLocale(lang == QLatin1String("de") ? QStringLiteral("de_DE") : QStringLiteral("en_GB")));
    }

private Q_SLOTS:
    void iconAndToolTip_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("toolTip");
        const auto system = AssertionMode::systemOnly;
        const auto display = AssertionMode::displayAndSystem;
        const QString active = "Corvane active";
        const QString warning = "exclamationmark.triangle.fill";
        auto row = [](const char *name, const char *lang, const State &state, const QString &symbol,
                      const QString &description, const QString &label, const QString &toolTip) {
            QTest::newRow(name) << QString(lang) << state << symbol << description << label << toolTip;
        };
        row("idle", "en", idle(WakeDuration::minutes(60), display), "eye", "Corvane idle", "",
            "Click for options, middle-click to keep this computer awake");
        row("timed, 59 s left", "en", timed(15, 59, system), "eye.fill", active, "59s",
            "Less than a minute left, awake until 14:00");
        row("timed, 61 s left", "en", timed(15, 61, display), "eye.fill", active, "2m",
            "2 min left, awake until 14:01");
        row("timed, 3900 s left", "en", timed(240, 3900, system), "eye.fill", active, "1h05",
            "1 h 5 min left, awake until 15:05");
        // Seconds dropped as the panel drops them, and the day when it is not today.
        row("timed, ends tomorrow", "en", timed(1440, 86000, system), "eye.fill", active, "23h53",
            "23 h 54 min left, awake until tomorrow 13:53");
        row("timed, ends the day after", "en", timed(2880, 172000, display), "eye.fill", active, "47h46",
            "47 h 47 min left, awake until Wed 13:46");
        // Beside a shown label the tooltip holds what changes only with the period.
        row("timed, 61 s left, beside a label", "en", besideLabel(timed(15, 61, display)), "eye.fill", active, "2m",
            "Awake until 14:01");
        row("timed, ends tomorrow, beside a label", "en", besideLabel(timed(1440, 86000, system)), "eye.fill", active,
            "23h53", "Awake until tomorrow 13:53");
        row("indefinite", "en", indefinite(display), "eye.fill", active, "", "Awake until turned off");
        row("refused", "en", refused(system), warning, "Corvane could not keep this computer awake", "",
            "Corvane could not keep this computer awake");
        // No countdown and no "awake" while nothing holds the period.
        row("timed, nothing holds it", "en", unheld(timed(60, 1800, display)), warning,
            "Corvane is not keeping this computer awake", "",
            "Not being kept awake: nothing holds the inhibition. Asking again until 14:30");
        row("indefinite, nothing holds it", "en", unheld(indefinite(system)), warning,
            "Corvane is not keeping this computer awake", "",
            "Not being kept awake: nothing holds the inhibition. Asking again until turned off");
        // A trigger fills the icon without a period, and says what it holds for.
        row("a trigger holds", "en", heldFor(idle(WakeDuration::minutes(60)), "mpv plays media"), "eye.fill", active,
            "", "Awake while mpv plays media");
        row("a period and a trigger", "en", heldFor(indefinite(display), "blender runs"), "eye.fill", active, "",
            "Awake until turned off\nAwake while blender runs");
        // One German row proves the texts go through the translator; the build refuses an
        // unfinished translation.
        row("German: timed, ends tomorrow", "de", timed(1440, 86000, system), "eye.fill", "Corvane aktiv", "23h53",
            "Noch 23 Std. 54 Min., wach bis morgen 13:53");
    }

    void iconAndToolTip()
    {
        QFETCH(QString, lang);
        QFETCH(State, state);
        QFETCH(QString, symbol);
        QFETCH(QString, description);
        QFETCH(QString, label);
        QFETCH(QString, toolTip);
        useLanguage(lang);
        QCOMPARE(TrayPresenter::symbol(state), symbol);
        QCOMPARE(TrayPresenter::description(state), description);
        QCOMPARE(TrayPresenter::label(state), label);
        QCOMPARE(TrayPresenter::toolTip(state, now), toolTip);
        QVERIFY(TrayPresenter::labelGuide().size() >= label.size());
    }

    void menu_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<State>("state");
        QTest::addColumn<QStringList>("menu");
        const auto system = AssertionMode::systemOnly;
        const auto display = AssertionMode::displayAndSystem;
        // The whole menu: the toggle, the presets with the chosen one marked (-1: none),
        // the display row, then opening and quitting.
        auto menuIn = [](const QStringList &presets, const QString &displayRow, const QStringList &tail) {
            return [=](const QString &toggle, int chosen, bool displayOn) {
                QStringList rows{toggle, "---"};
                for (int i = 0; i < presets.size(); ++i)
                    rows << (i == chosen ? "(•) " : "( ) ") + presets[i];
                return rows + QStringList{"---", (displayOn ? "[x] " : "[ ] ") + displayRow, "---"} + tail;
            };
        };
        const auto english = menuIn({"15 min", "1 h", "4 h", "8 h", "24 h", "Until Turned Off"}, "Keep the Display On",
                                    {"Open Corvane", "Quit Corvane"});
        const auto german = menuIn({"15 Min.", "1 Std.", "4 Std.", "8 Std.", "24 Std.", "Bis zum Ausschalten"},
                                   "Bildschirm eingeschaltet lassen", {"Corvane öffnen", "Corvane beenden"});
        QTest::newRow("idle, last 1 h, system only")
            << "en" << idle(WakeDuration::minutes(60), system) << english("Keep Awake for 1 h", -1, false);
        QTest::newRow("timed 4 h, display on")
            << "en" << timed(240, 3900, display) << english("Turn Off (awake until 15:05)", 2, true);
        QTest::newRow("indefinite, system only") << "en" << indefinite(system) << english("Turn Off", 5, false);
        QTest::newRow("refused, display on") << "en" << refused(display) << english("Keep Awake for 1 h", -1, true);
        QTest::newRow("timed 1 h, nothing holds it")
            << "en" << unheld(timed(60, 1800, display)) << english("Turn Off (not being kept awake)", 1, true);
        QTest::newRow("German: timed 24 h, ends tomorrow, system only")
            << "de" << timed(1440, 86000, system) << german("Ausschalten (wach bis morgen 13:53)", 4, false);
    }
    void menu()
    {
        QFETCH(QString, lang);
        QFETCH(State, state);
        QFETCH(QStringList, menu);
        useLanguage(lang);
        QCOMPARE(readMenu(TrayPresenter::menu(state, now)), menu);
    }
};

QTEST_GUILESS_MAIN(TrayPresenterTest)
#include "tst_TrayPresenter.moc"
