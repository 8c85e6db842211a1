// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Inhibitor.h"

// The freedesktop pair: a screen saver service (org.freedesktop.ScreenSaver) for the display, and org.freedesktop.PowerManagement for the
// system. Both or neither: a screen saver inhibition alone would let the system sleep.
// systemOnly asks PowerManagement alone.
class FreedesktopInhibitor : public Inhibitor {
    Q_OBJECT
public:
    struct ScreenSaver {
        QString service;
        QString path;
    };
    static ScreenSaver freedesktopScreenSaver();

    // `name` is what the user reads.
    FreedesktopInhibitor(BusConnections &buses, ScreenSaver screenSaver, QString name, QObject *parent = nullptr);

    QString name() const override { return m_name; }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

private:
    BusConnections &m_buses;
    const ScreenSaver m_screenSaver;
    const QString m_name;
};
