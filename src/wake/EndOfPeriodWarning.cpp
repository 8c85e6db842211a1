// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/EndOfPeriodWarning.h"

#include "wake/CorvaneTimerService.h"
#include "wake/Notifier.h"
#include "wake/SettingSwitch.h"

#include <QCoreApplication>

EndOfPeriodWarning::EndOfPeriodWarning(CorvaneTimerService &timer, Notifier &notifier,
                                       const SettingSwitch &minutesBefore, QObject *parent)
    : QObject(parent),
      m_timer(timer),
      m_notifier(notifier),
      m_minutesBefore(minutesBefore)
{
    connect(&m_timer, &CorvaneTimerService::remainingSecondsChanged, this, &EndOfPeriodWarning::check);
    connect(&m_timer, &CorvaneTimerService::activeChanged, this, &EndOfPeriodWarning::check);
    connect(&m_notifier, &Notifier::actionInvoked, this, &EndOfPeriodWarning::onAction);
}

void EndOfPeriodWarning::check()
{
    const qint64 before = m_minutesBefore.value() * 60;
    const bool timed = m_timer.active() && m_timer.active()->isTimed();
    // Far from the end again (a new or extended period): the next approach warns anew.
    if (!timed || m_timer.remainingSeconds() > before) {
        if (m_shown)
            m_notifier.withdraw();
        m_shown = false;
        return;
    }
    if (m_shown || before <= 0 || m_timer.totalSeconds() <= before)
        return;
    m_shown = true;
    const QString end = m_timer.endDate() ? m_timer.endDate()->time().toString(QStringLiteral("HH:mm")) : QString();
    m_notifier.show(QCoreApplication::translate("EndOfPeriodWarning", "This computer may sleep soon"),
                    QCoreApplication::translate("EndOfPeriodWarning", "Corvane stops keeping it awake at %1.").arg(end),
                    {{extendKey, QCoreApplication::translate("EndOfPeriodWarning", "Extend 15 min")},
                     {stopKey, QCoreApplication::translate("EndOfPeriodWarning", "Stop Now")}});
}

void EndOfPeriodWarning::onAction(const QString &key)
{
    if (!m_shown)
        return;
    if (key == extendKey)
        m_timer.extend(extendMinutes);
    else if (key == stopKey)
        m_timer.stop();
}
