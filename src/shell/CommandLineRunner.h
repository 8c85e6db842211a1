// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/CommandLine.h"

// Carries out a command-line request in a QCoreApplication (no GUI). With a Corvane
// running in this session it drives that one over its public interface, so the tray shows
// the period; with none, it holds the inhibition itself, without a tray, until the period
// ends, and gives it back on every way out. Returns the process's exit status.
class CommandLineRunner {
public:
    static int run(const CommandLineRequest &request);

    CommandLineRunner() = delete;
};
