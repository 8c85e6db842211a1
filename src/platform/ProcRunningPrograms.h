// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wake/RunningPrograms.h"

// The user's running programs as /proc shows them: the name of each process's executable,
// or its command name where the executable cannot be read.
class ProcRunningPrograms : public RunningPrograms {
public:
    QStringList names() const override;
};
