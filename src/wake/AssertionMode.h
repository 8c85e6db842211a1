// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>
#include <optional>

// The two kinds of wake the user can choose. The raw values are stored in the settings,
// so they never change.
enum class AssertionMode {
    displayAndSystem,
    systemOnly,
};

namespace AssertionModes {
inline constexpr AssertionMode all[] = {AssertionMode::displayAndSystem, AssertionMode::systemOnly};

QString rawValue(AssertionMode mode);
// Exact, case-sensitive match against the raw values; anything else is no mode.
std::optional<AssertionMode> fromRawValue(const QString &raw);
} // namespace AssertionModes

Q_DECLARE_METATYPE(AssertionMode)
