#pragma once

// The program's entry: one process-wide application that opens no window of its own;
// everything lives in the tray. A second launch in the same session hands over to the
// running instance and ends.
#include <functional>

class AppDelegate;

class CorvaneApp {
public:
    // `onLaunched` runs once launching has finished; builds of the program for tests use it
    // to reach the delegate.
    static int run(int argc, char **argv, const std::function<void(AppDelegate &)> &onLaunched = {});

    CorvaneApp() = delete;
};
