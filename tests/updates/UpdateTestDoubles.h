// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>
#include <memory>

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
