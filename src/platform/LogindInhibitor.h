// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BusConnections.h"
#include "wake/Inhibitor.h"

// Xlib stays out of headers: its macros (None, Bool) break other code.
struct _XDisplay; // NOLINT(bugprone-reserved-identifier): Xlib's own name for Display

// The last resort: a logind "block" lock ("idle:sleep", or "sleep" for systemOnly), plus,
// for displayAndSystem on X11, the X screen saver suspended. The lock is a descriptor that
// lives exactly as long as every copy of it (the kernel closes it on any death, SIGKILL
// included); logind closing its end means the lock is gone.
class LogindInhibitor : public Inhibitor {
    Q_OBJECT
public:
    explicit LogindInhibitor(BusConnections &buses, QObject *parent = nullptr);
    ~LogindInhibitor() override;

    QString name() const override { return QStringLiteral("systemd-logind"); }
    std::unique_ptr<Grant> request(AssertionMode mode, const QString &reason) override;

    // Opens the X display once; absent without X or its screen saver extension.
    _XDisplay *screenSaverDisplay();

private:
    BusConnections &m_buses;
    _XDisplay *m_display = nullptr;
    bool m_displayTried = false;
};
