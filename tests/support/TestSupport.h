#pragma once

#include "platform/ContinuousClock.h"
#include "platform/SettingsStore.h"
#include "platform/Ticker.h"

#include <QDBusConnection>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <memory>

// Settings held in memory, with a way to plant garbage.
class MemorySettingsStore : public SettingsStore {
public:
    QMap<QString, QVariant> values;
    int writes = 0;

    bool contains(const QString &key) const override { return values.contains(key); }
    std::optional<qint64> integer(const QString &key) const override;
    std::optional<QString> string(const QString &key) const override;
    void setInteger(const QString &key, qint64 value) override;
    void setString(const QString &key, const QString &value) override;
};

// A clock the test moves by hand.
class FakeClock : public ContinuousClock {
public:
    std::chrono::nanoseconds current{std::chrono::hours(1)};
    QDateTime wall = QDateTime(QDate(2026, 12, 6), QTime(14, 0));

    std::chrono::nanoseconds now() const override { return current; }
    QDateTime wallNow() const override { return wall; }
    void advance(std::chrono::nanoseconds by)
    {
        current += by;
        wall = wall.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(by).count());
    }
};

// Tickers that fire only when the test says so; counts how many exist.
class FakeTickers {
public:
    TickerFactory factory();
    int alive() const { return *m_alive; }
    int created() const { return *m_created; }
    // Fires every live ticker once.
    void fire();

private:
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    std::shared_ptr<int> m_created = std::make_shared<int>(0);
    std::shared_ptr<std::vector<std::function<void()> *>> m_live =
        std::make_shared<std::vector<std::function<void()> *>>();
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
    void clearCalls(const QString &path) const;
    QDBusConnection bus() const;

private:
    QProcess m_process;
    bool m_system;
    QString m_busName;
};

// For a case that needs what scripts/test-env provides (a bus, the logind mock, the X
// server): without it, a developer running the binary by hand gets a skip, but CI (CI set,
// as CI services do) gets a failure, since there a skip would hide a broken environment.
#define CORVANE_REQUIRE(condition, what)                                                        \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            if (TestBus::inCi())                                                               \
                QFAIL("needs " what ", which CI must provide: run it through scripts/test-env"); \
            QSKIP("needs " what);                                                              \
        }                                                                                      \
    } while (false)

namespace TestBus {
bool inCi();
// Entries of logind's ListInhibitors as "what|who|why|mode".
QStringList logindInhibitors();
// Method calls the logind mock recorded on /org/freedesktop/login1, as MockService::calls.
QStringList logindCalls();
void clearLogindCalls();
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 3000);
QString mockTemplate(const QString &fileName);
} // namespace TestBus
