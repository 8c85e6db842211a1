// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// Checks a download against the Ed25519 signature from its appcast item (RFC 8032, over
// the exact bytes) and against the length the item advertises.
class Ed25519Verifier {
    Q_DECLARE_TR_FUNCTIONS(Ed25519Verifier)

public:
    struct Result {
        bool ok = false;
        QString message; // why the download was refused; empty when ok
    };

    // publicKeyBase64: the 32 raw key bytes; signatureBase64: the 64 signature bytes.
    // advertisedLength < 0 means the item gave none, which is refused as well.
    static Result verify(const QByteArray &data, qint64 advertisedLength, const QString &signatureBase64,
                         const QByteArray &publicKeyBase64);

    // Strict base64: no stray characters, whitespace around the text only.
    static bool decodeBase64(const QByteArray &text, QByteArray *out);
};
