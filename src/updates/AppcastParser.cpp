// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/AppcastParser.h"

#include "updates/SparkleVersion.h"

#include <QXmlStreamReader>

namespace {

constexpr QStringView sparkleNs = u"http://www.andymatuschak.org/xml-namespaces/sparkle";

bool isSparkle(const QXmlStreamReader &xml, QStringView name)
{
    return xml.namespaceUri() == sparkleNs && xml.name() == name;
}

bool isPlain(const QXmlStreamReader &xml, QStringView name)
{
    return xml.namespaceUri().isEmpty() && xml.name() == name;
}

QString sparkleAttribute(const QXmlStreamAttributes &attributes, QStringView name)
{
    for (const QXmlStreamAttribute &a : attributes) {
        if (a.namespaceUri() == sparkleNs && a.name() == name)
            return a.value().toString().trimmed();
    }
    return {};
}

AppcastItem readItem(QXmlStreamReader &xml, bool *hasEnclosure)
{
    AppcastItem item;
    QString elementVersion;
    QString elementShortVersion;
    QString enclosureVersion;
    QString enclosureShortVersion;
    *hasEnclosure = false;

    while (xml.readNextStartElement()) {
        if (isPlain(xml, u"title")) {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isPlain(xml, u"link")) {
            item.link = QUrl(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
        } else if (isPlain(xml, u"description")) {
            item.description = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle(xml, u"version")) {
            elementVersion = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle(xml, u"shortVersionString")) {
            elementShortVersion = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle(xml, u"releaseNotesLink")) {
            item.releaseNotesLink = QUrl(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
        } else if (isSparkle(xml, u"criticalUpdate")) {
            item.criticalUpdate = true;
            xml.skipCurrentElement();
        } else if (isPlain(xml, u"enclosure") && !*hasEnclosure) {
            *hasEnclosure = true;
            const QXmlStreamAttributes attributes = xml.attributes();
            item.downloadUrl = QUrl(attributes.value(QStringLiteral("url")).toString().trimmed());
            bool ok = false;
            const qint64 length = attributes.value(QStringLiteral("length")).toString().trimmed().toLongLong(&ok);
            item.length = ok && length >= 0 ? length : -1;
            enclosureVersion = sparkleAttribute(attributes, u"version");
            enclosureShortVersion = sparkleAttribute(attributes, u"shortVersionString");
            item.edSignature = sparkleAttribute(attributes, u"edSignature");
            item.os = sparkleAttribute(attributes, u"os");
            xml.skipCurrentElement();
        } else {
            // minimumSystemVersion and friends describe another system and mean nothing here.
            xml.skipCurrentElement();
        }
    }
    item.version = !enclosureVersion.isEmpty() ? enclosureVersion : elementVersion;
    item.shortVersionString = !enclosureShortVersion.isEmpty() ? enclosureShortVersion : elementShortVersion;
    return item;
}

} // namespace

AppcastParser::Result AppcastParser::parse(const QByteArray &data)
{
    Result result;
    QXmlStreamReader xml(data);
    bool sawRss = false;

    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (!sawRss) {
            if (!isPlain(xml, u"rss")) {
                result.error = tr("The update feed is not an RSS document.");
                return result;
            }
            sawRss = true;
            continue;
        }
        if (isPlain(xml, u"item")) {
            bool hasEnclosure = false;
            AppcastItem item = readItem(xml, &hasEnclosure);
            if (xml.hasError())
                break;
            const bool forUs = item.os.isEmpty() || item.os.compare(u"linux", Qt::CaseInsensitive) == 0;
            if (hasEnclosure && forUs && !item.version.isEmpty() && item.downloadUrl.isValid()
                && !item.downloadUrl.isRelative())
                result.items << item;
        }
    }
    if (xml.hasError()) {
        result.items.clear();
        result.error =
            tr("The update feed is not valid XML (line %1: %2).").arg(xml.lineNumber()).arg(xml.errorString());
        return result;
    }
    if (!sawRss) {
        result.error = tr("The update feed is empty.");
        return result;
    }
    result.ok = true;
    return result;
}

const AppcastItem *AppcastParser::best(const QList<AppcastItem> &items, const QString &hostVersion,
                                       const QString &skippedVersion)
{
    const AppcastItem *best = nullptr;
    for (const AppcastItem &item : items) {
        if (SparkleVersion::compare(item.version, hostVersion) <= 0)
            continue;
        // A critical update is offered even when the user skipped it.
        if (!item.criticalUpdate && !skippedVersion.isEmpty()
            && SparkleVersion::compare(item.version, skippedVersion) <= 0)
            continue;
        if (!best || SparkleVersion::compare(item.version, best->version) > 0)
            best = &item;
    }
    return best;
}
