// Takes an inhibition, says "held" and waits to be killed.
#include "platform/LinuxPowerBackend.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    LinuxPowerBackend backend;
    if (!backend.acquire(AssertionMode::systemOnly, QStringLiteral("holder")))
        return 1;
    std::puts("held");
    std::fflush(stdout);
    return app.exec();
}
