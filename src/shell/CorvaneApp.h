#pragma once

// The program's entry: one process-wide application that opens no window of its own;
// everything lives in the tray. A second launch in the same session hands over to the
// running instance and ends.
class CorvaneApp {
public:
    static int run(int argc, char **argv);

    CorvaneApp() = delete;
};
