// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestControl.h"
#include "shell/CorvaneApp.h"

CORVANE_CATCH_SIGNALS_FIRST

// The program exactly as shipped, plus a control object on the session bus for the tests.
// Its update helper is the one beside it (update_check_under_test.cpp).
int main(int argc, char **argv)
{
    return CorvaneApp::run(argc, argv, &TestControl::exportFor);
}
