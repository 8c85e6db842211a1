// SPDX-License-Identifier: GPL-3.0-or-later
#include "wake/AssertionMode.h"

namespace AssertionModes {

QString rawValue(AssertionMode mode)
{
    switch (mode) {
    case AssertionMode::displayAndSystem: return QStringLiteral("displayAndSystem");
    case AssertionMode::systemOnly: return QStringLiteral("systemOnly");
    }
    return {};
}

std::optional<AssertionMode> fromRawValue(const QString &raw)
{
    for (AssertionMode mode : all) {
        if (raw == rawValue(mode))
            return mode;
    }
    return std::nullopt;
}

} // namespace AssertionModes
