// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Fakes.h"

#include <QDBusConnection>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

// A whole file's content; empty when it cannot be read.
QByteArray readFile(const QString &path);
// Replaces a file's content; false when it cannot be written.
bool writeFile(const QString &path, const QByteArray &content);

// Opens the writing end of the FIFO at `path` whenever something waits to read from it,
// until destroyed: code that wrongly opens the FIFO then fails its test instead of hanging it.
class FifoWatchdog {
public:
    explicit FifoWatchdog(const QString &path);
    ~FifoWatchdog();
    // How often a reader was found on the FIFO.
    int readers() const { return m_readers; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_readers{0};
    std::thread m_thread;
};

// A python3-dbusmock service on the private session or system bus, for the test's lifetime.
class MockService {
public:
    // `templateName` is a dbusmock template name ("logind") or a file in tests/mocks.
    MockService(const QString &templateName, bool systemBus, const QString &busName,
                const QVariantMap &parameters = {});
    ~MockService();

    bool isRunning() const;
    // Method calls recorded by dbusmock on `path`, as "Method arg1 arg2".
    QStringList calls(const QString &path) const;
    QDBusConnection bus() const;

private:
    QProcess m_process;
    bool m_system;
    QString m_busName;
};

// For a case that needs what scripts/test-env provides (a bus, the logind mock, the X
// server): without it, a developer running the binary by hand gets a skip, but CI (CI set,
// as CI services do) gets a failure, since there a skip would hide a broken environment.
#define CORVANE_REQUIRE(condition, what)                                                                               \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            if (TestBus::inCi())                                                                                       \
                QFAIL("needs " what ", which CI must provide: run it through scripts/test-env");                       \
            QSKIP("needs " what);                                                                                      \
        }                                                                                                              \
    } while (false)

namespace TestBus {
bool inCi();
// The private session or system bus; unlike Qt's default connection, it follows a replaced bus daemon.
QDBusConnection bus(bool system);
// Stops the bus daemon and starts a new one at the same address; false when that failed.
bool replaceBus(bool system);
// Entries of logind's ListInhibitors as "what|who|why|mode".
QStringList logindInhibitors();
// Method calls the logind mock recorded on /org/freedesktop/login1, as MockService::calls.
QStringList logindCalls();
void clearLogindCalls();
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 3000);
// Waits until the window is on screen and, when asked, has the keyboard: what a test needs
// before it looks at a window or types into it.
bool onScreen(QWidget *window, bool active = false);
// A round trip to `service` over `connection`: the bus keeps each sender's messages in
// order, so afterwards `service` has handled everything sent to it over `connection`
// before, and everything it sent back before has been delivered here. This is how a
// test shows that something did not happen, without waiting for a while.
bool drain(const QDBusConnection &connection, const QString &service);
QString mockTemplate(const QString &fileName);
} // namespace TestBus
