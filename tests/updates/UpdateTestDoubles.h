#pragma once

#include "wake/SettingsStore.h"
#include "updates/CheckTimer.h"
#include "updates/UpdateUserDriver.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QVariant>

class QNetworkAccessManager;

class MemorySettingsStore : public SettingsStore {
public:
    QHash<QString, QVariant> values;

    bool contains(const QString &key) const override { return values.contains(key); }
    std::optional<qint64> integer(const QString &key) const override
    {
        bool ok = false;
        const qint64 v = values.value(key).toLongLong(&ok);
        return ok ? std::optional<qint64>(v) : std::nullopt;
    }
    std::optional<QString> string(const QString &key) const override
    {
        return values.contains(key) ? std::optional<QString>(values.value(key).toString()) : std::nullopt;
    }
    void setInteger(const QString &key, qint64 value) override { values.insert(key, value); }
    void setString(const QString &key, const QString &value) override { values.insert(key, value); }
};

// Fires only when the test says so.
class ManualCheckTimer : public CheckTimer {
public:
    std::optional<std::chrono::milliseconds> pending;
    std::function<void()> callback;

    void start(std::chrono::milliseconds delay, std::function<void()> onTimeout) override
    {
        pending = delay;
        callback = std::move(onTimeout);
    }
    void stop() override { pending.reset(); }
    void fire()
    {
        pending.reset();
        auto f = callback;
        if (f)
            f();
    }
};

// Records what the updater would show, and answers with a preset choice.
class RecordingUserDriver : public UpdateUserDriver {
public:
    QStringList shown;
    std::optional<Choice> answer;          // reply at once to "update found", when set
    std::function<void(Choice)> pendingReply;
    std::function<void()> cancel;
    bool relaunchAnswer = false;
    QString lastError;

    void showCheckingForUpdates(std::function<void()> c) override
    {
        cancel = std::move(c);
        shown << QStringLiteral("checking");
    }
    void dismissCheckingForUpdates() override {}
    void showUpToDate(const QString &) override { shown << QStringLiteral("upToDate"); }
    void showUpdaterError(const QString &message) override
    {
        lastError = message;
        shown << QStringLiteral("error");
    }
    void showUpdateFound(const AppcastItem &update, const QString &, std::function<void(Choice)> reply) override
    {
        shown << QStringLiteral("found ") + update.version;
        if (answer)
            reply(*answer);
        else
            pendingReply = std::move(reply);
    }
    void showDownloading(const AppcastItem &) override { shown << QStringLiteral("downloading"); }
    void showReadyToRelaunch(const AppcastItem &, std::function<void(bool)> reply) override
    {
        shown << QStringLiteral("relaunch?");
        reply(relaunchAnswer);
    }
};

// A fresh Ed25519 key pair for signing test archives.
struct TestSigningKey {
    TestSigningKey();
    ~TestSigningKey();
    TestSigningKey(const TestSigningKey &) = delete;
    TestSigningKey &operator=(const TestSigningKey &) = delete;

    QByteArray publicKeyBase64() const;
    QByteArray signBase64(const QByteArray &data) const;

    void *key = nullptr; // EVP_PKEY
};

// An appcast with one item per (version, os) pair; os may be empty.
QByteArray makeAppcast(const QList<QPair<QString, QString>> &versionsAndOs, const QString &downloadUrl = {},
                       qint64 length = 0, const QByteArray &signature = {});

// A manager that never goes through a proxy, so loopback requests stay on 127.0.0.1.
QNetworkAccessManager *loopbackNetwork(QObject *parent);
