// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// System-wide sleep and power events, delivered on the main thread. The platform layer
// emits them from whatever the system announces; tests emit them by hand.
class SystemEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    // The machine has resumed from suspend or hibernation.
    void didWake();
    // The machine is about to power off or reboot; once per power-off.
    void willPowerOff();
    // A power-off announced by willPowerOff() was called off.
    void powerOffCancelled();
};
