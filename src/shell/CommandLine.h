// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/AssertionMode.h"
#include "wake/WakeDuration.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

// What one invocation of the program asks for. Parsing never touches the buses or the
// process table, so a request can be checked before anything changes.
struct CommandLineRequest {
    enum class Action {
        launchTray, // no arguments: the tray application
        start,
        stop,
        toggle,
        status,
        setMode, // --mode alone
        whilePid,
        runCommand,
        help,
        version,
        setTriggers, // --while-media, --while-apps, --while-remote
        invalid,
    };

    Action action = Action::launchTray;
    WakeDuration duration;
    // With --until: the moment the period ends, whatever the wall clock does meanwhile.
    std::optional<QDateTime> until;
    std::optional<AssertionMode> mode;
    bool json = false;
    qint64 pid = 0;
    QStringList command;
    // With setTriggers: the switches and the program list to store; absent ones stay.
    std::optional<bool> whileMedia;
    std::optional<bool> whileRemote;
    std::optional<QStringList> whileApps;
    // --autostart: the session started the tray, not the user; it opens nothing by itself.
    bool autostart = false;
    // One line for the user when the action is invalid.
    QString error;
};

// The command line: `corvane --for 90m`, `--until 17:30`, `-- make -j4`, …
class CommandLine {
public:
    // `given` includes the program name; `now` resolves --until.
    static CommandLineRequest parse(const QStringList &given, const QDateTime &now);
    // "90m", "1h30m", "2h", "45" (minutes): the minute count, capped at 48 hours like the
    // panel's custom duration; absent for anything else, zero included.
    static std::optional<qint64> parseDuration(const QString &text);
    // The next moment after `now` at which the local wall clock reads "HH:MM": in the
    // repeated hour of a daylight-saving change that may be the second reading of it.
    static std::optional<QDateTime> nextTime(const QString &clockTime, const QDateTime &now);
    static QString helpText();
};
