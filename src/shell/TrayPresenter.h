// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/AssertionMode.h"
#include "wake/WakeDuration.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class CorvaneTimerService;

// What the program's icon says for one state of the timer service: the symbol and its
// countdown ring, the label beside it, the tooltip and the rows of its menu. It holds no
// state and draws nothing, so the tray and a window standing in for it read the same
// texts, and the same state and time always give the same ones.
class TrayPresenter {
    Q_DECLARE_TR_FUNCTIONS(TrayPresenter)
public:
    // Menu row ids; stable, so a host's event for a row it showed still finds its action.
    // Separators get ids from firstSeparatorId up, above every row.
    enum MenuId { QuickToggleRow = 1, FirstPresetRow = 10, ModeRow = 30, OpenRow = 31, QuitRow = 32 };
    static constexpr int firstSeparatorId = 100;
    // Steps of the countdown ring: fine enough to move visibly at 64 px.
    static constexpr int ringSteps = 48;

    // The part of the timer service's state the icon shows.
    struct State {
        std::optional<WakeDuration> active;
        qint64 remainingSeconds = 0;
        qint64 totalSeconds = 0;
        WakeDuration lastDuration;
        AssertionMode mode = AssertionMode::systemOnly;
        // The system refused the last attempt; shown until the next one.
        bool refused = false;
        // When a timed period ends, in local time.
        std::optional<QDateTime> end;
        // A period runs but its inhibition was lost and nothing holds it yet.
        bool unheld = false;
        // What a trigger keeps the computer awake for ("mpv plays media"), while it does.
        QString trigger{};
        // The host shows the label beside the icon: the label alone counts down, so a
        // minute's step changes one thing the host is told of, not three.
        bool labelShown = false;

        static State of(const CorvaneTimerService &timer, bool labelShown = false);
    };

    struct MenuRow {
        enum class Check { None, Checkmark, Radio };
        int id = 0;
        QString text; // empty for a separator
        Check check = Check::None;
        bool checked = false;

        bool isSeparator() const { return id >= firstSeparatorId; }
        friend bool operator==(const MenuRow &, const MenuRow &) = default;
    };

    // "eye", "eye.fill" (a period or a trigger holds), or "exclamationmark.triangle.fill"
    // after a refusal and while a period holds nothing.
    static QString symbol(const State &state);
    // The part of a timed period left, in ringSteps steps (0…1), or -1 for no ring: none
    // beside a shown label. It moves only when the label changes, so the icon is redrawn no
    // more often.
    static double ring(const State &state);
    // The icon's accessible name and the tooltip's heading.
    static QString description(const State &state);
    // The compact countdown beside the icon, empty unless a timed period runs and is held.
    static QString label(const State &state);
    // The widest label there will be, so the label never changes width.
    static QString labelGuide() { return QStringLiteral("00h00"); }
    // Above a minute it changes once a minute, so the host hears of it no more often; beside
    // a shown label it holds only the end time, which changes with the period. The end time
    // reads as the panel's does, with the day when it is not today.
    static QString toolTip(const State &state, const QDateTime &now);
    static QList<MenuRow> menu(const State &state, const QDateTime &now);

private:
    static QString periodToolTip(const State &state, const QDateTime &now);
    // "15:44", "tomorrow 15:44" or "Wed 15:44".
    static QString endText(const State &state, const QDateTime &now);
};
