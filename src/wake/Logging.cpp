// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/Logging.h"

Q_LOGGING_CATEGORY(lcPower, "corvane.power", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTray, "corvane.tray", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPanel, "corvane.panel", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUpdate, "corvane.update", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "corvane.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAutostart, "corvane.autostart", QtWarningMsg)
