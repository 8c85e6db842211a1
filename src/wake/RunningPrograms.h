// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The programs the user runs right now, by the executable's name: what a list to pick a
// program from offers.
class RunningPrograms {
public:
    virtual ~RunningPrograms() = default;

    // The user's own processes only, sorted, each name once. Read anew on every call.
    virtual QStringList names() const = 0;
};
