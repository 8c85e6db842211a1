// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/AssertionMode.h"

#include <QObject>
#include <QString>
#include <optional>

// One condition that keeps the computer awake without being asked (a player playing, a
// program running, someone logged in remotely), as its watcher sees it. `changed` fires
// only when one of the three answers really changes.
class TriggerSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TriggerSource() override = default;

    virtual bool isActive() const = 0;
    // What the reason text and the surfaces say after "while": "mpv plays media".
    virtual QString words() const = 0;
    // Absent: the mode the user chose in the panel.
    virtual std::optional<AssertionMode> wantedMode() const = 0;

Q_SIGNALS:
    void changed();
};
