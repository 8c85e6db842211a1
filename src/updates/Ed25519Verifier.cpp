// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/Ed25519Verifier.h"

#include <openssl/evp.h>

#include <memory>

bool Ed25519Verifier::decodeBase64(const QByteArray &text, QByteArray *out)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    auto decoded = QByteArray::fromBase64Encoding(trimmed, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return false;
    *out = *decoded;
    return true;
}

Ed25519Verifier::Result Ed25519Verifier::verify(const QByteArray &data, qint64 advertisedLength,
                                                const QString &signatureBase64, const QByteArray &publicKeyBase64)
{
    Result result;
    QByteArray key;
    if (!decodeBase64(publicKeyBase64, &key) || key.size() != 32) {
        result.message = tr("This copy of Corvane has no valid update key, so it cannot check updates.");
        return result;
    }
    if (advertisedLength < 0) {
        result.message = tr("The update does not state its size, so it cannot be checked.");
        return result;
    }
    if (data.size() != advertisedLength) {
        result.message =
            tr("The download has %1 bytes but the update announces %2 bytes.").arg(data.size()).arg(advertisedLength);
        return result;
    }
    QByteArray signature;
    if (signatureBase64.trimmed().isEmpty()) {
        result.message = tr("The update is not signed.");
        return result;
    }
    if (!decodeBase64(signatureBase64.toLatin1(), &signature) || signature.size() != 64) {
        result.message = tr("The update's signature is garbled.");
        return result;
    }

    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char *>(key.constData()),
                                    size_t(key.size())),
        &EVP_PKEY_free);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    // Ed25519 hashes internally, so the one-shot call takes no digest.
    const bool verified = pkey && ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, pkey.get()) == 1
        && EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char *>(signature.constData()),
                            size_t(signature.size()), reinterpret_cast<const unsigned char *>(data.constData()),
                            size_t(data.size()))
            == 1;
    if (!verified) {
        result.message = tr("The update's signature does not match: it was not made by Corvane's "
                            "developers or was damaged on the way.");
        return result;
    }
    result.ok = true;
    return result;
}
