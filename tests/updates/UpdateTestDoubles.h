// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Fakes.h"
#include "ManualClock.h"
#include "updates/UpdateUserDriver.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

class QNetworkAccessManager;

// Records what the updater would show, and answers with a preset choice.
class RecordingUserDriver : public UpdateUserDriver {
public:
    QStringList shown;
    std::optional<Choice> answer; // reply at once to "update found", when set
    std::function<void(Choice)> pendingReply;
    std::function<void()> cancel;
    bool relaunchAnswer = false;

    void showCheckingForUpdates(std::function<void()> c) override
    {
        cancel = std::move(c);
        shown << QStringLiteral("checking");
    }
    void dismissCheckingForUpdates() override {}
    void showUpToDate(const QString &) override { shown << QStringLiteral("upToDate"); }
    void showUpdaterError(const QString &) override { shown << QStringLiteral("error"); }
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
    QByteArray publicKeyBase64() const;
    QByteArray signBase64(const QByteArray &data) const;

    std::shared_ptr<void> key; // EVP_PKEY
};

// An appcast with one item per entry, "version" or "version os".
QByteArray makeAppcast(const QStringList &items, const QString &downloadUrl = {}, qint64 length = 0,
                       const QByteArray &signature = {});

// A manager that never goes through a proxy, so loopback requests stay on 127.0.0.1.
QNetworkAccessManager *loopbackNetwork(QObject *parent);
