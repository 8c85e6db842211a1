// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>

class CorvaneTimerService;
class Notifier;
class PowerAssertionManager;

// A refusal or a loss of the inhibition that nobody would see otherwise (the panel is
// closed) becomes a desktop notification with the reason; once per failure, until
// something holds again.
class RefusalNotice : public QObject {
    Q_OBJECT
public:
    RefusalNotice(CorvaneTimerService &timer, PowerAssertionManager &power, Notifier &notifier,
                  std::function<bool()> panelShown, QObject *parent = nullptr);

private:
    void onFailure(const QString &why);

    CorvaneTimerService &m_timer;
    Notifier &m_notifier;
    std::function<bool()> m_panelShown;
    bool m_shown = false;
};
