// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/Ed25519Verifier.h"

#include <QLibrary>
#include <openssl/evp.h>

#include <memory>
#include <type_traits>

namespace {
// The few OpenSSL calls a signature check needs, looked up when the first update is
// verified. Linked in, libcrypto would cost the tray 1.4 MB of memory all day for a check
// that runs only when the user installs an update.
struct Crypto {
    decltype(&EVP_PKEY_new_raw_public_key) newRawPublicKey = nullptr;
    decltype(&EVP_PKEY_free) freeKey = nullptr;
    decltype(&EVP_MD_CTX_new) newContext = nullptr;
    decltype(&EVP_MD_CTX_free) freeContext = nullptr;
    decltype(&EVP_DigestVerifyInit) verifyInit = nullptr;
    decltype(&EVP_DigestVerify) verify = nullptr;

    static const Crypto *load()
    {
        static const Crypto crypto = [] {
            Crypto c;
            // Loaded for good: unloading OpenSSL while its atexit handlers are registered is unsafe.
            QLibrary library(QStringLiteral("crypto"), 3);
            library.setLoadHints(QLibrary::PreventUnloadHint);
            if (!library.load())
                return c;
            const auto bind = [&library](auto &function, const char *name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            };
            bind(c.newRawPublicKey, "EVP_PKEY_new_raw_public_key");
            bind(c.freeKey, "EVP_PKEY_free");
            bind(c.newContext, "EVP_MD_CTX_new");
            bind(c.freeContext, "EVP_MD_CTX_free");
            bind(c.verifyInit, "EVP_DigestVerifyInit");
            bind(c.verify, "EVP_DigestVerify");
            return c;
        }();
        const bool complete = crypto.newRawPublicKey && crypto.freeKey && crypto.newContext && crypto.freeContext
            && crypto.verifyInit && crypto.verify;
        return complete ? &crypto : nullptr;
    }
};
} // namespace

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

    const Crypto *crypto = Crypto::load();
    if (!crypto) {
        result.message = tr("Corvane cannot check the update's signature: the system's OpenSSL library "
                            "(libcrypto 3) is missing.");
        return result;
    }
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
        crypto->newRawPublicKey(EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char *>(key.constData()),
                                size_t(key.size())),
        crypto->freeKey);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(crypto->newContext(), crypto->freeContext);
    // Ed25519 hashes internally, so the one-shot call takes no digest.
    const bool verified = pkey && ctx && crypto->verifyInit(ctx.get(), nullptr, nullptr, nullptr, pkey.get()) == 1
        && crypto->verify(ctx.get(), reinterpret_cast<const unsigned char *>(signature.constData()),
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
