// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <limits>
#include <sys/types.h>
#include <vector>

namespace {
constexpr qint64 maxMinutes = WakeDuration::maxRestoredMinutes;
// What of an argument an error line repeats: enough to recognise it, never a screenful.
constexpr qsizetype shownArgumentLength = 40;
constexpr qsizetype errorLineLength = 120;

QString shown(const QString &argument, qsizetype length = shownArgumentLength)
{
    return argument.size() <= length ? argument : argument.left(length - 1) + QChar(0x2026);
}

// Free functions and the option table share one context, so lupdate and the program agree.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

struct Options {
    QCommandLineOption forOption{QStringLiteral("for"),
                                 Texts::tr("Keep this computer awake for <duration>: 90m, 1h30m, 2h or 45 (minutes)."),
                                 Texts::tr("duration")};
    QCommandLineOption until{QStringLiteral("until"),
                             Texts::tr("Keep this computer awake until the next <time> (HH:MM)."), Texts::tr("time")};
    QCommandLineOption indefinitely{QStringLiteral("indefinitely"),
                                    Texts::tr("Keep this computer awake until turned off.")};
    QCommandLineOption stop{QStringLiteral("stop"), Texts::tr("End the wake period.")};
    QCommandLineOption toggle{QStringLiteral("toggle"),
                              Texts::tr("Start a wake period with the last duration, or end the one running.")};
    QCommandLineOption status{QStringLiteral("status"), Texts::tr("Show the wake period.")};
    QCommandLineOption json{QStringLiteral("json"), Texts::tr("With --status: print JSON for scripts.")};
    QCommandLineOption mode{QStringLiteral("mode"),
                            Texts::tr("Keep the display and the system awake, or the system only."),
                            QStringLiteral("display|system")};
    QCommandLineOption whilePid{QStringLiteral("while-pid"),
                                Texts::tr("Keep this computer awake until process <pid> ends."), QStringLiteral("pid")};
    QCommandLineOption whileMedia{QStringLiteral("while-media"),
                                  Texts::tr("Keep this computer awake whenever a media player plays (on or off)."),
                                  QStringLiteral("on|off")};
    QCommandLineOption whileApps{QStringLiteral("while-apps"),
                                 Texts::tr("Keep this computer awake whenever one of these programs runs (executable "
                                           "names, comma-separated; empty to clear)."),
                                 Texts::tr("names")};
    QCommandLineOption whileRemote{QStringLiteral("while-remote"),
                                   Texts::tr("Keep this computer awake whenever someone is logged in remotely (on or "
                                             "off)."),
                                   QStringLiteral("on|off")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, Texts::tr("Show this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, Texts::tr("Show the version.")};

    std::vector<const QCommandLineOption *> all() const
    {
        return {&forOption, &until,    &indefinitely, &stop,      &toggle,      &status, &json,
                &mode,      &whilePid, &whileMedia,   &whileApps, &whileRemote, &help,   &version};
    }

    void addTo(QCommandLineParser &parser) const
    {
        for (const QCommandLineOption *option : all())
            parser.addOption(*option);
        parser.addPositionalArgument(QStringLiteral("-- command"),
                                     Texts::tr("Keep this computer awake while <command> runs; exit with its status."),
                                     QStringLiteral("[-- command [args…]]"));
    }
};

CommandLineRequest invalid(const QString &error)
{
    CommandLineRequest request;
    request.action = CommandLineRequest::Action::invalid;
    request.error = error;
    return request;
}
} // namespace

std::optional<qint64> CommandLine::parseDuration(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:(\\d{1,6})h)?(?:(\\d{1,6})(?:m|min)?)?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed().toLower());
    if (text.trimmed().isEmpty() || !match.hasMatch())
        return std::nullopt;
    if (!match.hasCaptured(1) && !match.hasCaptured(2))
        return std::nullopt;
    const qint64 minutes = match.captured(1).toLongLong() * 60 + match.captured(2).toLongLong();
    if (minutes < 1)
        return std::nullopt;
    return std::min(minutes, maxMinutes);
}

std::optional<QDateTime> CommandLine::nextTime(const QString &clockTime, const QDateTime &now)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(clockTime.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QTime time(match.captured(1).toInt(), match.captured(2).toInt());
    if (!time.isValid())
        return std::nullopt;
    // Qt settles a time that occurs twice on one of the two readings, so the hour either
    // side is looked at too; a time that never occurs (skipped forward) is taken as Qt
    // places it.
    std::optional<QDateTime> best;
    for (int day = 0; day <= 1; ++day) {
        const QDateTime resolved(now.date().addDays(day), time, now.timeZone());
        for (const int shift : {-3600, 0, 3600}) {
            const QDateTime candidate = resolved.addSecs(shift);
            const bool readsSo = candidate.time() == time || shift == 0;
            if (readsSo && candidate > now && (!best || candidate < *best))
                best = candidate;
        }
    }
    return best;
}

QString CommandLine::helpText()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Texts::tr(
        "Keeps this computer awake for a while. Without options, puts Corvane in the tray; with options, drives "
        "the Corvane already running, or keeps this computer awake by itself until the period ends."));
    Options().addTo(parser);
    return parser.helpText();
}

CommandLineRequest CommandLine::parse(const QStringList &given, const QDateTime &now)
{
    using Action = CommandLineRequest::Action;
    // Not in the help either: the autostart entry passes it, and it goes only with the tray.
    QStringList arguments = given;
    const bool autostart = arguments.removeAll(QStringLiteral("--autostart")) > 0;
    if (arguments.size() <= 1) {
        CommandLineRequest tray;
        tray.autostart = autostart;
        return tray;
    }
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const Options o;
    o.addTo(parser);
    if (!parser.parse(arguments)) {
        // Options that are none of ours are Qt's own (-platform xcb, -style …) for the tray.
        const bool mentionsOurs = std::any_of(arguments.begin() + 1, arguments.end(), [&o](const QString &arg) {
            if (arg == QLatin1String("--"))
                return true;
            const QString name = arg.section(QLatin1Char('='), 0, 0).remove(QRegularExpression(QStringLiteral("^--?")));
            for (const QCommandLineOption *option : o.all())
                if (option->names().contains(name))
                    return true;
            return false;
        });
        if (mentionsOurs)
            return invalid(shown(parser.errorText(), errorLineLength));
        CommandLineRequest tray;
        tray.autostart = autostart;
        return tray;
    }

    CommandLineRequest request;
    if (parser.isSet(o.help) || parser.isSet(o.version)) {
        request.action = parser.isSet(o.help) ? Action::help : Action::version;
        return request;
    }

    request.json = parser.isSet(o.json);
    if (parser.isSet(o.mode)) {
        const QString mode = parser.value(o.mode);
        if (mode == QLatin1String("display"))
            request.mode = AssertionMode::displayAndSystem;
        else if (mode == QLatin1String("system"))
            request.mode = AssertionMode::systemOnly;
        else
            return invalid(Texts::tr("unknown mode \"%1\": use display or system").arg(shown(mode)));
    }

    const QStringList positional = parser.positionalArguments();
    const bool hasCommand = arguments.contains(QStringLiteral("--"));
    if (!positional.isEmpty() && !hasCommand)
        return invalid(Texts::tr("unexpected argument \"%1\": put a command after --").arg(shown(positional.first())));

    const bool setsTriggers = parser.isSet(o.whileMedia) || parser.isSet(o.whileApps) || parser.isSet(o.whileRemote);
    if (setsTriggers) {
        const bool others = request.mode || request.json || hasCommand
            || std::any_of(arguments.begin() + 1, arguments.end(), [](const QString &arg) {
                                return arg.startsWith(QLatin1Char('-')) && !arg.startsWith(QLatin1String("--while-"));
                            });
        if (others)
            return invalid(Texts::tr("--while-media, --while-apps and --while-remote go without other options"));
        auto onOff = [&](const QCommandLineOption &option, std::optional<bool> &into) {
            if (!parser.isSet(option))
                return true;
            const QString value = parser.value(option);
            if (value != QLatin1String("on") && value != QLatin1String("off"))
                return false;
            into = value == QLatin1String("on");
            return true;
        };
        if (!onOff(o.whileMedia, request.whileMedia))
            return invalid(
                Texts::tr("--while-media takes on or off, not \"%1\"").arg(shown(parser.value(o.whileMedia))));
        if (!onOff(o.whileRemote, request.whileRemote))
            return invalid(
                Texts::tr("--while-remote takes on or off, not \"%1\"").arg(shown(parser.value(o.whileRemote))));
        if (parser.isSet(o.whileApps)) {
            QStringList names;
            for (const QString &name : parser.value(o.whileApps).split(QLatin1Char(',')))
                if (!name.trimmed().isEmpty())
                    names.append(name.trimmed());
            request.whileApps = names;
        }
        request.action = Action::setTriggers;
        return request;
    }

    int actions = 0;
    for (const QCommandLineOption *option :
         {&o.forOption, &o.until, &o.indefinitely, &o.stop, &o.toggle, &o.status, &o.whilePid})
        actions += parser.isSet(*option) ? 1 : 0;
    actions += hasCommand ? 1 : 0;
    if (actions > 1)
        return invalid(
            Texts::tr("choose one of --for, --until, --indefinitely, --stop, --toggle, --status, --while-pid and --"));

    if (parser.isSet(o.forOption)) {
        const std::optional<qint64> minutes = parseDuration(parser.value(o.forOption));
        if (!minutes)
            return invalid(
                Texts::tr("unknown duration \"%1\": try 90m, 1h30m, 2h or 45").arg(shown(parser.value(o.forOption))));
        request.action = Action::start;
        request.duration = WakeDuration::minutes(*minutes);
    } else if (parser.isSet(o.until)) {
        const std::optional<QDateTime> end = nextTime(parser.value(o.until), now);
        if (!end)
            return invalid(
                Texts::tr("unknown time \"%1\": use HH:MM, from 00:00 to 23:59").arg(shown(parser.value(o.until))));
        request.action = Action::start;
        request.until = end;
        request.duration = WakeDuration::minutes(std::clamp<qint64>((now.secsTo(*end) + 59) / 60, 1, maxMinutes));
    } else if (parser.isSet(o.indefinitely)) {
        request.action = Action::start;
        request.duration = WakeDuration::indefinite();
    } else if (parser.isSet(o.stop)) {
        request.action = Action::stop;
    } else if (parser.isSet(o.toggle)) {
        request.action = Action::toggle;
    } else if (parser.isSet(o.status)) {
        request.action = Action::status;
    } else if (parser.isSet(o.whilePid)) {
        bool ok = false;
        request.pid = parser.value(o.whilePid).toLongLong(&ok);
        if (!ok || request.pid < 1 || request.pid > std::numeric_limits<pid_t>::max())
            return invalid(Texts::tr("\"%1\" is not a process id").arg(shown(parser.value(o.whilePid))));
        request.action = Action::whilePid;
    } else if (hasCommand) {
        if (positional.isEmpty())
            return invalid(Texts::tr("no command after --"));
        request.action = Action::runCommand;
        request.command = positional;
    } else if (request.mode) {
        request.action = Action::setMode;
    } else {
        return invalid(Texts::tr("--json goes with --status"));
    }
    return request;
}
