// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateTestDoubles.h"

#include <openssl/evp.h>

TestSigningKey::TestSigningKey()
{
    EVP_PKEY *pkey = nullptr;
    EVP_PKEY_CTX *ctx = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
    EVP_PKEY_keygen_init(ctx);
    EVP_PKEY_keygen(ctx, &pkey);
    EVP_PKEY_CTX_free(ctx);
    key.reset(pkey, [](void *p) { EVP_PKEY_free(static_cast<EVP_PKEY *>(p)); });
}

QByteArray TestSigningKey::publicKeyBase64() const
{
    QByteArray raw(32, '\0');
    size_t size = 32;
    EVP_PKEY_get_raw_public_key(static_cast<EVP_PKEY *>(key.get()), reinterpret_cast<unsigned char *>(raw.data()),
                                &size);
    return raw.toBase64();
}

QByteArray TestSigningKey::signBase64(const QByteArray &data) const
{
    QByteArray signature(64, '\0');
    size_t size = 64;
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, static_cast<EVP_PKEY *>(key.get()));
    EVP_DigestSign(ctx, reinterpret_cast<unsigned char *>(signature.data()), &size,
                   reinterpret_cast<const unsigned char *>(data.constData()), size_t(data.size()));
    EVP_MD_CTX_free(ctx);
    return signature.toBase64();
}

QByteArray makeAppcast(const QStringList &items, const QString &downloadUrl, qint64 length, const QByteArray &signature)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
                                 "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>\n");
    for (const QString &entry : items) {
        const QString version = entry.section(u' ', 0, 0);
        const QString url =
            downloadUrl.isEmpty() ? QStringLiteral("https://example.invalid/C-%1").arg(version) : downloadUrl;
        // An empty sparkle:os or sparkle:edSignature reads as a missing one.
        xml +=
            QStringLiteral("<item><title>Corvane %1</title><enclosure url=\"%2\" length=\"%3\" sparkle:version=\"%1\" "
                           "sparkle:os=\"%4\" sparkle:edSignature=\"%5\"/></item>\n")
                .arg(version, url.toHtmlEscaped(), QString::number(length), entry.section(u' ', 1),
                     QString::fromLatin1(signature));
    }
    return (xml + QStringLiteral("</channel></rss>\n")).toUtf8();
}
