// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/RefusalNotice.h"

#include "wake/CorvaneTimerService.h"
#include "wake/Notifier.h"
#include "wake/PowerAssertionManager.h"

RefusalNotice::RefusalNotice(CorvaneTimerService &timer, PowerAssertionManager &power, Notifier &notifier,
                             std::function<bool()> panelShown, QObject *parent)
    : QObject(parent),
      m_timer(timer),
      m_notifier(notifier),
      m_panelShown(std::move(panelShown))
{
    // The timer service hears these first (it was connected first), so its flag is current.
    connect(&power, &PowerAssertionManager::refused, this, &RefusalNotice::onFailure);
    connect(&power, &PowerAssertionManager::lost, this, &RefusalNotice::onFailure);
    connect(&timer, &CorvaneTimerService::assertionFailedChanged, this, [this] {
        if (!m_timer.assertionFailed())
            m_shown = false;
    });
}

void RefusalNotice::onFailure(const QString &why)
{
    if (!m_timer.assertionFailed() || m_shown || (m_panelShown && m_panelShown()))
        return;
    m_shown = true;
    m_notifier.show(tr("Corvane could not keep this computer awake"), why);
}
