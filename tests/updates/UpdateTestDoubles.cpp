// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateTestDoubles.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>

#include <openssl/evp.h>

TestSigningKey::TestSigningKey()
{
    EVP_PKEY *pkey = nullptr;
    EVP_PKEY_CTX *ctx = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
    EVP_PKEY_keygen_init(ctx);
    EVP_PKEY_keygen(ctx, &pkey);
    EVP_PKEY_CTX_free(ctx);
    key = pkey;
}

TestSigningKey::~TestSigningKey()
{
    EVP_PKEY_free(static_cast<EVP_PKEY *>(key));
}

QByteArray TestSigningKey::publicKeyBase64() const
{
    QByteArray raw(32, '\0');
    size_t size = 32;
    EVP_PKEY_get_raw_public_key(static_cast<EVP_PKEY *>(key), reinterpret_cast<unsigned char *>(raw.data()), &size);
    return raw.toBase64();
}

QByteArray TestSigningKey::signBase64(const QByteArray &data) const
{
    QByteArray signature(64, '\0');
    size_t size = 64;
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, static_cast<EVP_PKEY *>(key));
    EVP_DigestSign(ctx, reinterpret_cast<unsigned char *>(signature.data()), &size,
                   reinterpret_cast<const unsigned char *>(data.constData()), size_t(data.size()));
    EVP_MD_CTX_free(ctx);
    return signature.toBase64();
}

QByteArray makeAppcast(const QList<QPair<QString, QString>> &versionsAndOs, const QString &downloadUrl, qint64 length,
                       const QByteArray &signature)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                     "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
                     "<channel><title>Corvane</title>\n";
    for (const auto &[version, os] : versionsAndOs) {
        const QString url = downloadUrl.isEmpty()
            ? QStringLiteral("https://example.invalid/Corvane-%1.AppImage").arg(version)
            : downloadUrl;
        xml += "<item><title>Corvane " + version.toUtf8()
            + "</title>"
              "<sparkle:shortVersionString>"
            + version.toUtf8()
            + ".0</sparkle:shortVersionString>"
              "<description><![CDATA[<p>Notes for "
            + version.toUtf8()
            + "</p>]]></description>"
              "<enclosure url=\""
            + url.toUtf8() + "\" length=\"" + QByteArray::number(length)
            + "\""
              " type=\"application/octet-stream\" sparkle:version=\""
            + version.toUtf8() + "\"";
        if (!os.isEmpty())
            xml += " sparkle:os=\"" + os.toUtf8() + "\"";
        if (!signature.isEmpty())
            xml += " sparkle:edSignature=\"" + signature + "\"";
        xml += "/></item>\n";
    }
    xml += "</channel></rss>\n";
    return xml;
}

QNetworkAccessManager *loopbackNetwork(QObject *parent)
{
    auto *network = new QNetworkAccessManager(parent);
    network->setProxy(QNetworkProxy::NoProxy);
    return network;
}
