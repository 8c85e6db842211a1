// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's grammar: what each invocation asks for, and the one line a mistake
// gets before anything changes.
#include "shell/CommandLine.h"

#include <QTimeZone>
#include <QtTest>

using Action = CommandLineRequest::Action;

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requests_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<qint64>("minutes"); // -1: indefinite
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("error"); // a part of the line shown

        auto row = [](const char *name, QStringList args, Action action, qint64 minutes = -1, QString mode = {},
                      QString error = {}) {
            QTest::addRow("%s", name) << args << int(action) << minutes << mode << error;
        };
        row("nothing: the tray", {}, Action::launchTray);
        row("Qt's own options: the tray", {"-platform", "offscreen"}, Action::launchTray);
        row("90m", {"--for", "90m"}, Action::start, 90);
        row("1h30m", {"--for=1h30m"}, Action::start, 90);
        row("2h", {"--for", "2h"}, Action::start, 120);
        row("bare minutes", {"--for", "45"}, Action::start, 45);
        row("45min", {"--for", "45min"}, Action::start, 45);
        row("over 48 h is capped", {"--for", "72h"}, Action::start, 2880);
        row("until: later today", {"--until", "17:30"}, Action::start, 90);
        row("until: tomorrow", {"--until", "15:59"}, Action::start, 24 * 60 - 1);
        row("until: now is tomorrow", {"--until", "16:00"}, Action::start, 24 * 60);
        row("indefinitely", {"--indefinitely"}, Action::start);
        row("with a mode", {"--for", "2h", "--mode", "system"}, Action::start, 120, "systemOnly");
        row("mode alone", {"--mode", "display"}, Action::setMode, -1, "displayAndSystem");
        row("stop", {"--stop"}, Action::stop);
        row("toggle", {"--toggle"}, Action::toggle);
        row("status", {"--status", "--json"}, Action::status);
        row("while-pid", {"--while-pid", "4242"}, Action::whilePid);
        row("a command", {"--", "sh", "-c", "exit 3"}, Action::runCommand);
        row("help", {"--help"}, Action::help);
        row("version", {"-v"}, Action::version);

        row("unknown duration", {"--for", "soon"}, Action::invalid, -1, {}, "unknown duration \"soon\"");
        row("zero", {"--for", "0"}, Action::invalid, -1, {}, "unknown duration");
        row("no duration", {"--for"}, Action::invalid, -1, {}, "Missing value");
        row("25:00", {"--until", "25:00"}, Action::invalid, -1, {}, "unknown time \"25:00\"");
        row("17:60", {"--until", "17:60"}, Action::invalid, -1, {}, "unknown time");
        row("unknown mode", {"--mode", "screen"}, Action::invalid, -1, {}, "unknown mode");
        row("not a pid", {"--while-pid", "abc"}, Action::invalid, -1, {}, "not a process id");
        row("a pid that would wrap", {"--while-pid", "4294967297"}, Action::invalid, -1, {}, "not a process id");
        row("a huge duration is cut", {"--for", QString(5000, 'x')}, Action::invalid, -1, {},
            "\"" + QString(39, 'x') + QChar(0x2026) + "\": try");
        row("two actions", {"--stop", "--toggle"}, Action::invalid, -1, {}, "choose one");
        row("duration and command", {"--for", "1h", "--", "make"}, Action::invalid, -1, {}, "choose one");
        row("nothing after --", {"--"}, Action::invalid, -1, {}, "no command");
        row("a stray word", {"--stop", "now"}, Action::invalid, -1, {}, "unexpected argument");
        row("an unknown option next to ours", {"--for", "1h", "--fast"}, Action::invalid, -1, {}, "Unknown option");
        row("a trigger switch that is neither on nor off", {"--while-media", "yes"}, Action::invalid, -1, {},
            "takes on or off");
        row("triggers with a period", {"--while-remote", "on", "--for", "1h"}, Action::invalid, -1, {},
            "without other options");
    }

    // The trigger options go together; what is not given stays as it is.
    void triggers_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("request"); // media, remote and apps as asked; "-": not given
        QTest::addRow("media on") << QStringList{"--while-media", "on"} << "on - -";
        QTest::addRow("all three") << QStringList{"--while-remote=off", "--while-media", "off", "--while-apps",
                                                  " blender , my tool,,mpv "}
                                   << "off off blender|my tool|mpv";
        QTest::addRow("an empty list clears it") << QStringList{"--while-apps="} << "- - ";
    }
    void triggers()
    {
        QFETCH(QStringList, arguments);
        const CommandLineRequest request = CommandLine::parse(QStringList{"corvane"} + arguments, QDateTime());
        QCOMPARE(request.action, Action::setTriggers);
        auto word = [](const std::optional<bool> &on) { return on ? QString(*on ? "on" : "off") : QString("-"); };
        const QString apps = request.whileApps ? request.whileApps->join('|') : QString("-");
        QTEST(QStringList({word(request.whileMedia), word(request.whileRemote), apps}).join(' '), "request");
    }
    void requests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(qint64, minutes);
        QFETCH(QString, mode);
        QFETCH(QString, error);

        const QDateTime now(QDate(2026, 3, 2), QTime(16, 0));
        const CommandLineRequest request = CommandLine::parse(QStringList{"corvane"} + arguments, now);
        QCOMPARE(int(request.action), action);
        QVERIFY2(request.error.contains(error), qPrintable(request.error));
        if (request.action == Action::start) {
            QCOMPARE(request.duration.isIndefinite(), minutes < 0);
            if (minutes >= 0)
                QCOMPARE(request.duration.minuteCount(), minutes);
        }
        QCOMPARE(request.mode ? AssertionModes::rawValue(*request.mode) : QString(), mode);
    }

    // Counted in real time from now to the next moment the clock on the wall reads the time.
    void untilIsTheNextReadingOfTheClock_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("until");
        QTest::addColumn<qint64>("seconds");
        const QTimeZone berlin("Europe/Berlin");
        const auto utc = [](int month, int day, int hour, int minute) {
            return QDateTime(QDate(2026, month, day), QTime(hour, minute), QTimeZone::utc());
        };
        // 02:30 CEST; 02:15 comes again as CET, 45 min later.
        QTest::newRow("the repeated hour, earlier") << utc(10, 25, 0, 30).toTimeZone(berlin) << "02:15" << 45 * 60ll;
        // 02:30 CET, the second reading: 02:45 is 15 min away.
        QTest::newRow("the repeated hour, later") << utc(10, 25, 1, 30).toTimeZone(berlin) << "02:45" << 15 * 60ll;
        QTest::newRow("into the repeated hour") << utc(10, 24, 23, 30).toTimeZone(berlin) << "02:15" << 45 * 60ll;
        // 01:30 CET; 03:30 CEST is an hour of real time later.
        QTest::newRow("across the skipped hour") << utc(3, 29, 0, 30).toTimeZone(berlin) << "03:30" << 60 * 60ll;
        QTest::newRow("an ordinary day") << utc(6, 1, 12, 0).toTimeZone(berlin) << "14:56" << 56 * 60ll;
    }
    void untilIsTheNextReadingOfTheClock()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, until);
        const CommandLineRequest request = CommandLine::parse({"corvane", "--until", until}, now);
        QCOMPARE(int(request.action), int(Action::start));
        QVERIFY(request.until);
        QTEST(now.secsTo(*request.until), "seconds");
        QCOMPARE(request.until->toTimeZone(now.timeZone()).time().toString("HH:mm"), until);
        QFETCH(qint64, seconds);
        QCOMPARE(request.duration.minuteCount(), (seconds + 59) / 60);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_CommandLine.moc"
