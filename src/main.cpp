// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CorvaneApp.h"

CORVANE_CATCH_SIGNALS_FIRST

int main(int argc, char **argv)
{
    return CorvaneApp::run(argc, argv);
}
