// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <optional>

// Where this computer's power comes from: mains or battery, and the battery's charge.
class PowerSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PowerSource() override = default;

    virtual bool onBattery() const = 0;
    // 0 to 100; absent when there is no battery or nothing to ask.
    virtual std::optional<double> batteryPercent() const = 0;

Q_SIGNALS:
    void changed();
};
