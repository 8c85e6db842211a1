// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TrayPresenter.h"

#include "wake/CorvaneTimerService.h"
#include "wake/DurationPresets.h"
#include "wake/PeriodEnd.h"

#include <QLocale>
#include <cmath>

namespace {
bool countsDown(const TrayPresenter::State &state)
{
    return state.active && state.active->isTimed() && !state.refused && !state.unheld;
}
} // namespace

TrayPresenter::State TrayPresenter::State::of(const CorvaneTimerService &timer, bool labelShown)
{
    const std::optional<QDateTime> end = timer.endDate();
    return {timer.active(), timer.remainingSeconds(), timer.totalSeconds(), timer.lastDuration(), timer.mode(),
            timer.assertionFailed() && !timer.starting(), end ? std::optional(end->toLocalTime()) : std::nullopt,
            // Not while a start is still being answered: held comes with the answer.
            timer.active() && !timer.held() && !timer.starting(), timer.held() ? timer.trigger() : QString(),
            labelShown};
}

QString TrayPresenter::endText(const State &state, const QDateTime &now)
{
    const PeriodEnd at = PeriodEnd::of(state.end.value_or(now.addSecs(state.remainingSeconds)), now, QLocale());
    if (at.daysAhead == 0)
        return at.time;
    if (at.daysAhead == 1)
        return tr("tomorrow %1").arg(at.time);
    //: %1 is the short weekday name, %2 the time: "Wed 15:44"
    return tr("%1 %2").arg(at.weekday, at.time);
}

QString TrayPresenter::symbol(const State &state)
{
    if (state.refused || state.unheld)
        return QStringLiteral("exclamationmark.triangle.fill");
    return state.active || !state.trigger.isEmpty() ? QStringLiteral("eye.fill") : QStringLiteral("eye");
}

double TrayPresenter::ring(const State &state)
{
    if (!countsDown(state) || state.labelShown)
        return -1.0;
    // The seconds the label stands for, so that the ring steps only where the label does.
    const qint64 left = state.remainingSeconds;
    const qint64 shown = left >= 3600 ? left / 60 * 60 : (left >= 60 ? (left + 59) / 60 * 60 : left);
    const double total = double(std::max<qint64>(1, state.totalSeconds));
    return std::ceil(ringSteps * std::clamp(double(shown) / total, 0.0, 1.0)) / ringSteps;
}

QString TrayPresenter::description(const State &state)
{
    if (state.refused)
        return tr("Corvane could not keep this computer awake");
    if (state.unheld)
        return tr("Corvane is not keeping this computer awake");
    return state.active || !state.trigger.isEmpty() ? tr("Corvane active") : tr("Corvane idle");
}

QString TrayPresenter::label(const State &state)
{
    return countsDown(state) ? formatCompact(state.remainingSeconds) : QString();
}

QString TrayPresenter::toolTip(const State &state, const QDateTime &now)
{
    QString period = periodToolTip(state, now);
    if (state.trigger.isEmpty() || state.refused)
        return period;
    const QString trigger = tr("Awake while %1").arg(state.trigger);
    return state.active ? period + QLatin1Char('\n') + trigger : trigger;
}

QString TrayPresenter::periodToolTip(const State &state, const QDateTime &now)
{
    if (state.refused)
        return tr("Corvane could not keep this computer awake");
    if (!state.active)
        return tr("Click for options, middle-click to keep this computer awake");
    // A countdown here would read as awake; the period only waits to be held again.
    if (state.unheld)
        return state.active->isIndefinite()
            ? tr("Not being kept awake: nothing holds the inhibition. Asking again until turned off")
            : tr("Not being kept awake: nothing holds the inhibition. Asking again until %1").arg(endText(state, now));
    if (state.active->isIndefinite())
        return tr("Awake until turned off");
    if (state.labelShown)
        return tr("Awake until %1").arg(endText(state, now));
    const qint64 seconds = state.remainingSeconds;
    const QString left =
        seconds < 60 ? tr("Less than a minute left") : tr("%1 left").arg(formatMinutes((seconds + 59) / 60));
    return tr("%1, awake until %2").arg(left, endText(state, now));
}

QList<TrayPresenter::MenuRow> TrayPresenter::menu(const State &state, const QDateTime &now)
{
    QList<MenuRow> rows;
    MenuRow toggle{QuickToggleRow, {}};
    if (!state.active)
        toggle.text = state.lastDuration.isTimed()
            ? tr("Keep Awake for %1").arg(formatMinutes(state.lastDuration.minuteCount()))
            : tr("Keep Awake Until Turned Off");
    else if (state.unheld)
        toggle.text = tr("Turn Off (not being kept awake)");
    else if (state.active->isTimed())
        toggle.text = tr("Turn Off (awake until %1)").arg(endText(state, now));
    else
        toggle.text = tr("Turn Off");
    int separator = firstSeparatorId;
    rows << toggle << MenuRow{separator++, {}};
    for (qsizetype i = 0; i < DurationPresets::all.size(); ++i) {
        const WakeDuration preset = DurationPresets::all[i];
        rows << MenuRow{FirstPresetRow + int(i),
                        preset.isTimed() ? formatMinutes(preset.minuteCount()) : tr("Until Turned Off"),
                        MenuRow::Check::Radio, state.active == preset};
    }
    rows << MenuRow{separator++, {}};
    rows << MenuRow{ModeRow, tr("Keep the Display On"), MenuRow::Check::Checkmark,
                    state.mode == AssertionMode::displayAndSystem};
    rows << MenuRow{separator++, {}};
    rows << MenuRow{OpenRow, tr("Open Corvane")} << MenuRow{QuitRow, tr("Quit Corvane")};
    return rows;
}
